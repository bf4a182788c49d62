#pragma once

#include "media/track_layout.h"

namespace sonidrax::media {

// Reads the fmt and data chunks of a RIFF/WAVE source whose first twelve bytes
// have been recognised.
OpenResult parseWave(ByteSource& source, TrackLayout& layout);

}  // namespace sonidrax::media
