// Texts handed to the host for the script's author. Each ends with a newline.
#pragma once

namespace sonidrax::messages {

inline constexpr const char* kInitFailed = "DirectSound Initialization Failed!\n";
inline constexpr const char* kInvalidSoundId = "Invalid Sound ID\n";
inline constexpr const char* kDuplicateFailed = "Attempt to duplicate sound buffer failed.\n";
inline constexpr const char* kNotInitialized = "DirectSound did not initialize properly!\n";
inline constexpr const char* kBadMember = "Bad sound member or file too big to fit in memory\n";
inline constexpr const char* kFileNotFound = "Could not find file.\n";
inline constexpr const char* kUnsupportedFormat = "Unsupported file format.\n";
inline constexpr const char* kCannotParse = "Not enough memory or could not parse file.\n";
inline constexpr const char* kLockFailedFormat = "Could not lock buffer - error %lx\n";

}  // namespace sonidrax::messages
