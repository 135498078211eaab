#include "imaging/CpuFeatures.h"

namespace lumvor {

bool CpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
#else
    return false;
#endif
}

}  // namespace lumvor
