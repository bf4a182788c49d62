// Status codes the plug-in produces, and the script error codes scripts see.
#pragma once

#include <cstdint>

namespace sonidrax {

using Status = int32_t;

constexpr Status kOk = 0;
constexpr Status kNotProvided = static_cast<Status>(0x80004001);        // operation not provided by this sound
constexpr Status kEnumerationFailed = static_cast<Status>(0x80040001);  // DirectSound device enumeration
constexpr Status kOutOfMemory = static_cast<Status>(0x80040002);
constexpr Status kCannotUnload = static_cast<Status>(0x80040003);
constexpr Status kNoSuchInterface = static_cast<Status>(0x80040004);
constexpr Status kNoSuchClass = static_cast<Status>(0x80040005);
constexpr Status kFileNotFound = static_cast<Status>(0x80040006);
constexpr Status kNoDevice = static_cast<Status>(0x8004000F);
constexpr Status kDeviceRefused = static_cast<Status>(0x80040014);  // cooperative level, buffer, stream set-up
constexpr Status kLockFailed = static_cast<Status>(0x800407D2);
constexpr Status kBadArgument = static_cast<Status>(0x800407D8);   // type, symbol, range, list length
constexpr Status kSourceFailed = static_cast<Status>(0x800407DE);  // reading or positioning a source
constexpr Status kMissingVector = static_cast<Status>(0x800407E5);
constexpr Status kBadSoundSource = static_cast<Status>(0x800407EF);
constexpr Status kNotASound = static_cast<Status>(0x80040BBC);
constexpr Status kUnsupportedFormat = static_cast<Status>(0x80040BBE);
constexpr Status kNoSuchMethod = static_cast<Status>(0x80040BC9);

// The script error code that dsGetError reports for a status.
int32_t MapHostError(Status status);

}  // namespace sonidrax
