// The MPEG audio codec module of the decoder library: MPEG-1 and MPEG-2 Layers I, II
// and III, and MPEG-2.5 Layer III, decoded to 16-bit PCM one frame per decode call.
//
// Options (CodecParameters): option1 chooses the output channels (0 both
// interleaved, 1 left, 2 right, 3 both mixed into one), option2 a reduced rate (0
// full, 1 half from 32000 Hz, 2 quarter from 32000 Hz and half from 16000 Hz), and the
// 64 band gains a 32-band equaliser per channel. Stream properties: "mpeg/level",
// "mpeg/layer" and "mpeg/mode".
#pragma once

#include "decoder/modules.h"

namespace sonidrax::mpeg {

// Fills the codec's descriptor; answers 0.
decoder::Status GetMpegCodecModule(decoder::CodecModule* descriptor);

// The largest PCM block one decode call writes.
inline constexpr int32_t kMaxOutputBytes = 4608;

}  // namespace sonidrax::mpeg
