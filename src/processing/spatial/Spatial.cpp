#include "processing/spatial/Spatial.h"

namespace lumvor {

void DeFocus(TPix*, int) {
    // PENDING: the defocus kernel; the picture is left as it is.
}

void SharpGaussianBlur5x5(TPix*, int, int) {
    // PENDING: the edge-preserving 5 x 5 smoothing; the picture is left as it is.
}

}  // namespace lumvor
