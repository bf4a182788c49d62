// The statuses this host answers to the plug-in. They follow the host code family
// (0x8004xxxx) the plug-in maps for scripts, plus the COM codes for protocol misuse.
#pragma once

#include "frame/host_interfaces.h"

namespace sonidrax::host {

constexpr Status kOk = 0;
constexpr Status kStatusNoMemory = static_cast<Status>(0x80040002);
constexpr Status kStatusNotFound = static_cast<Status>(0x80040006);
constexpr Status kStatusBadValue = static_cast<Status>(0x800407D0);    // not a live value of this host
constexpr Status kStatusWrongType = static_cast<Status>(0x800407D8);   // the value has another type
constexpr Status kStatusOutOfRange = static_cast<Status>(0x800407DA);  // list position, property number
constexpr Status kStatusTooSmall = static_cast<Status>(0x800407DB);    // a text does not fit the buffer
constexpr Status kStatusNotSound = static_cast<Status>(0x80040BBC);    // media asked of a member that is no sound
constexpr Status kStatusNoSuchMember = static_cast<Status>(0x80040BBD);
constexpr Status kStatusBadState = static_cast<Status>(0x8000FFFF);     // calls out of order (E_UNEXPECTED)
constexpr Status kStatusNoInterface = static_cast<Status>(0x80004002);  // E_NOINTERFACE
constexpr Status kStatusNullPointer = static_cast<Status>(0x80004003);  // E_POINTER

}  // namespace sonidrax::host
