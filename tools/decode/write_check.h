// An output filter that notices the blocks an output could not write: the decoder
// passes an output's write answer over, but a file that misses samples must not
// be reported as decoded.
#pragma once

#include "decoder/decoder.h"

namespace sonidrax::tools {

struct WriteCheck {
    bool failed = false;
    int error = 0;  // the C runtime's error number at the failed write
};

// Puts the filter last in the decoder's output chain; checkOut receives its record,
// which lives as long as the filter.
decoder::Status AddWriteCheck(decoder::Decoder* decoder, WriteCheck** checkOut);

}  // namespace sonidrax::tools
