#pragma once

#include "media/track_layout.h"

namespace sonidrax::media {

// Reads the COMM and SSND chunks of a FORM/AIFF or FORM/AIFC source whose first
// twelve bytes have been recognised.
OpenResult parseAiff(ByteSource& source, bool compressed, TrackLayout& layout);

}  // namespace sonidrax::media
