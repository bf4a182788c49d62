// Status codes shared by the decoder library, its modules and its clients.
//
// Every operation of the library and every module method answers a signed 32-bit
// status: 0 for success, one of the negative codes below for failure. Some
// operations answer a non-negative identifier or count instead; they say so.
#pragma once

#include <cstdint>

namespace sonidrax::decoder {

using Status = std::int32_t;

inline constexpr Status kSuccess = 0;
// No such optional method, empty list, input not seekable, filter not found.
inline constexpr Status kNotAvailable = -1;
inline constexpr Status kOutOfMemory = -100;
// Null pointer, empty name, argument out of range.
inline constexpr Status kInvalidParameters = -102;
// A required module or method is missing, or an instance is in the wrong state.
inline constexpr Status kInternalError = -103;
inline constexpr Status kVersionMismatch = -106;
// The file modules' open failures.
inline constexpr Status kCannotOpenFile = -500;
inline constexpr Status kPermissionDenied = -504;
inline constexpr Status kNoSuchModule = -507;
inline constexpr Status kNoInputModuleAccepts = -508;
// Also answered by an output that cannot take a new format.
inline constexpr Status kNoOutputModuleAccepts = -509;
inline constexpr Status kFileNotFound = -513;
inline constexpr Status kEndOfInput = -514;
inline constexpr Status kNoCodecAccepts = -600;
// A fatal error inside the codec ended the decode (see AbortDecode).
inline constexpr Status kDecodeAborted = -700;
inline constexpr Status kNoSuchProperty = -900;
// The property holds an integer where a text was asked for, or the reverse.
inline constexpr Status kPropertyTypeMismatch = -901;

// The first word of every module and filter descriptor. A descriptor is accepted
// when its word, masked with kModuleVersionMask, equals kModuleVersion: the lowest
// byte is free for the module's own revision.
inline constexpr std::uint32_t kModuleVersion = 0x00040300;
inline constexpr std::uint32_t kModuleVersionMask = 0x00FFFF00;

constexpr bool IsAcceptedVersion(std::uint32_t word) { return (word & kModuleVersionMask) == kModuleVersion; }

}  // namespace sonidrax::decoder
