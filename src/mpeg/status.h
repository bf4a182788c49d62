#pragma once
#include <cstdint>

namespace sonidrax::mpeg {

// Status codes shared with the decoder library: 0 for success, negative for failure.
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kOutOfMemory = -100;
inline constexpr int32_t kEndOfInput = -514;
// A forbidden value in the bit stream (or a failed successor check inside the frame
// reader): the frame is dropped and nothing is output for it.
inline constexpr int32_t kDecodeAborted = -700;

}  // namespace sonidrax::mpeg
