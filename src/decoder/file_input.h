// The file input module: reads a named file, or standard input for the name "-",
// and publishes the ID3 version 1 tag of a ".mp3" file as status properties
// ("id3/title", "id3/artist", "id3/album", "id3/year", "id3/comment", "id3/genre").
#pragma once

#include "decoder/modules.h"

namespace sonidrax::decoder {

// Fills the module's descriptor; answers 0.
Status GetFileInputModule(InputModule* descriptor);

}  // namespace sonidrax::decoder
