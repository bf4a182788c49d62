#pragma once

#include <memory>

#include "media/track_layout.h"

namespace sonidrax::media {

// The AudioFile of every container: frames read in place from the source and
// converted in bounded pieces.
std::unique_ptr<AudioFile> makePcmTrack(std::unique_ptr<ByteSource> source, const TrackLayout& layout);

}  // namespace sonidrax::media
