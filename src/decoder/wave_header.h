// The 44-byte RIFF WAVE header of 16-bit PCM.
#pragma once

#include <array>
#include <cstdint>

namespace sonidrax::decoder {

inline constexpr std::size_t kWaveHeaderBytes = 44;

std::array<std::uint8_t, kWaveHeaderBytes> MakeWaveHeader(std::uint32_t dataBytes, std::int32_t channels,
                                                          std::int32_t sampleRate);

}  // namespace sonidrax::decoder
