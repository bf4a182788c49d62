// Choosing the codec for a freshly opened input.
#pragma once

#include "decoder/decoder_internals.h"

namespace sonidrax::decoder {

// Probes the registered codecs newest first and makes sure the first that accepts
// the stream has an instance, told the codec parameters. kNoCodecAccepts when none
// accepts.
Status ChooseCodec(Decoder* decoder);

}  // namespace sonidrax::decoder
