#include "frame/status.h"

namespace sonidrax {

int32_t MapHostError(Status status) {
    switch (static_cast<uint32_t>(status)) {
        case 0x80040002:
            return -7;
        case 0x80040006:
            return -3;
        case 0x8004000E:
            return -8;
        case 0x80040014:
            return -1;
        case 0x800407D0:
            return -11;
        case 0x800407D8:
            return -9;
        case 0x800407EF:
            return -9;
        case 0x80040BBC:
            return -4;
        case 0x80040BBE:
            return -4;
        default:
            return status;
    }
}

}  // namespace sonidrax
