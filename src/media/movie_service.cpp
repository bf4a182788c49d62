#include "media/movie_service.h"

#include <cmath>
#include <limits>

namespace sonidrax::media {

Fixed ToFixed(double value) {
    const double scaled = std::trunc(value * kFixedOne);
    if (!(scaled > std::numeric_limits<Fixed>::min())) return std::numeric_limits<Fixed>::min();
    if (scaled >= std::numeric_limits<Fixed>::max()) return std::numeric_limits<Fixed>::max();
    return static_cast<Fixed>(scaled);
}

}  // namespace sonidrax::media
