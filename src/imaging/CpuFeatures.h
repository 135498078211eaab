// What the processor offers beyond the build's baseline, asked once at run
// time: the pixel loops that have an AVX2 form choose it by this.
#pragma once

namespace lumvor {

bool CpuHasAvx2();

}  // namespace lumvor
