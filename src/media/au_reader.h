#pragma once

#include "media/track_layout.h"

namespace sonidrax::media {

// Reads the header of a Sun/NeXT ".snd" source whose magic has been recognised.
OpenResult parseAu(ByteSource& source, TrackLayout& layout);

}  // namespace sonidrax::media
