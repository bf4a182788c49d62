#include "frame/method_table.h"

#include <array>
#include <string>

namespace sonidrax {

namespace {

using enum MethodKind;

constexpr MethodEntry kMethods[] = {
    {"new object me", Host, 0},
    {"forget object me", Host, 0},
    {"dsNewSound object me, *", NewSound, 0},
    {"dsReverseSound object me, *", ReverseSound, 2},
    {"dsDuplicateSound object me, integer", Handler, 0},
    {"dsDeleteSound object me, integer", Handler, 0},
    {"dsDeleteAllSounds object me", Handler, 0},
    {"dsPlay object me, integer, *", Handler, 0},
    {"dsStop object me, integer", Handler, 0},
    {"dsStream object me, integer", Handler, 0},
    {"dsReverse object me, integer", Handler, 0},
    {"dsSynchronize object me, integer, integer", Handler, 0},
    {"dsGetSize object me, integer", Handler, 0},
    {"dsGetDuration object me, integer", Handler, 0},
    {"dsGetSampleRate object me, integer", Handler, 0},
    {"dsSetSampleRate object me, integer", Handler, 0},
    {"dsGetSampleSize object me, integer", Handler, 0},
    {"dsSetSampleSize object me, integer", Handler, 0},
    {"dsGetSoundInfo object me, integer", Handler, 0},
    {"dsIsPlaying object me, integer", Handler, 0},
    {"dsGetChannelCount object me, integer", Handler, 0},
    {"dsSetChannelCount object me, integer", Handler, 0},
    {"dsGetPosition object me, integer", Handler, 0},
    {"dsSetPosition object me, integer, integer", Handler, 0},
    {"dsGetTime object me, integer", Handler, 0},
    {"dsSetTime object me, integer, integer", Handler, 0},
    {"dsGetPitch object me, integer", Handler, 0},
    {"dsSetPitch object me, integer, float", Handler, 0},
    {"dsGetVolume object me, integer", Handler, 0},
    {"dsSetVolume object me, integer, integer", Handler, 0},
    {"dsGetLinearVolume object me, integer", Handler, 0},
    {"dsSetLinearVolume object me, integer, integer", Handler, 0},
    {"dsGetLoop object me, integer", Handler, 0},
    {"dsSetLoop object me, integer, integer", Handler, 0},
    {"dsGetPan object me, integer", Handler, 0},
    {"dsSetPan object me, integer, integer", Handler, 0},
    {"dsGetDevices object me", Handler, 0},
    {"dsSetDevice object me, string", Handler, 0},
    {"dsDirExists object me, string", Handler, 0},
    {"dsCreateDir object me, string", Handler, 0},
    {"dsGetFileSize object me, string", Handler, 0},
    {"*dsGetDate", Handler, 0},
    {"*dsKeyState integer", Handler, 0},
    {"dsGetError object me", Handler, 0},
    {"dsOpenFileDialog object me", Handler, 0},
    {"dsSaveFileDialog object me, string, string", Handler, 0},
    {"dsShowPrefsDialog object me, object", Handler, 0},
    {"*dsMoveFile string, string, string", Handler, 0},
    {"dsAppIsForeground object me", Handler, 0},
    {"dsDupSound object me, integer", Alias, 4},
    {"dsDelSound object me, integer", Alias, 5},
    {"dsDelAllSounds object me", Alias, 6},
    {"dsGetChannels object me, integer", Alias, 20},
    {"dsQueueSettings object me", Handler, 0},
    {"dsCommitSettings object me", Handler, 0},
    {"dsGet3DMode object me, integer", Handler, 0},
    {"dsSet3DMode object me, integer, symbol", Handler, 0},
    {"dsGet3DPosition object me, integer", Handler, 0},
    {"dsSet3DPosition object me, integer, object", Handler, 0},
    {"dsGetVelocity object me, integer", Handler, 0},
    {"dsSetVelocity object me, integer, object", Handler, 0},
    {"dsGetOrientation object me, integer", Handler, 0},
    {"dsSetOrientation object me, integer, object", Handler, 0},
    {"dsGetOutsideVolume object me, integer", Handler, 0},
    {"dsSetOutsideVolume object me, integer, integer", Handler, 0},
    {"dsGetInsideAngle object me, integer", Handler, 0},
    {"dsGetOutsideAngle object me, integer", Handler, 0},
    {"dsSetAngles object me, integer, integer, integer", Handler, 0},
    {"dsGetMinDistance object me, integer", Handler, 0},
    {"dsSetMinDistance object me, integer, float", Handler, 0},
    {"dsGetMaxDistance object me, integer", Handler, 0},
    {"dsSetMaxDistance object me, integer, float", Handler, 0},
    {"dsGetListenerPosition object me", Handler, 0},
    {"dsSetListenerPosition object me, object", Handler, 0},
    {"dsGetListenerVelocity object me", Handler, 0},
    {"dsSetListenerVelocity object me, object", Handler, 0},
    {"dsGetListenerOrientationFront object me", Handler, 0},
    {"dsGetListenerOrientationTop object me", Handler, 0},
    {"dsSetListenerOrientation object me, object, object", Handler, 0},
    {"dsGetRolloff object me", Handler, 0},
    {"dsSetRolloff object me, any", Handler, 0},
    {"dsGetDoppler object me", Handler, 0},
    {"dsSetDoppler object me, any", Handler, 0},
    {"dsGetDistanceFactor object me", Handler, 0},
    {"dsSetDistanceFactor object me, any", Handler, 0},
};
static_assert(std::size(kMethods) == kLastMethodIndex + 1);

// Handlers are numbered in the order they first appear in the table.
constexpr std::array<int32_t, std::size(kMethods)> NumberHandlers() {
    std::array<int32_t, std::size(kMethods)> numbers{};
    int32_t next = 0;
    for (size_t i = 0; i < std::size(kMethods); ++i) {
        switch (kMethods[i].kind) {
            case Host:
                numbers[i] = -1;
                break;
            case NewSound:
            case Handler:
                numbers[i] = next++;
                break;
            case ReverseSound:
            case Alias:
                numbers[i] = numbers[kMethods[i].target];
                break;
        }
    }
    return numbers;
}

constexpr auto kHandlerNumbers = NumberHandlers();
static_assert(kHandlerNumbers[kLastMethodIndex] == kHandlerCount - 1);

std::string BuildText() {
    std::string text = "xtra sonidrax\n";
    for (const MethodEntry& method : kMethods) {
        text += method.line;
        text += '\n';
    }
    return text;
}

}  // namespace

std::span<const MethodEntry> Methods() { return kMethods; }

const char* MethodTableText() {
    static const std::string text = BuildText();
    return text.c_str();
}

int32_t HandlerNumberOf(uint32_t methodIndex) {
    if (methodIndex > kLastMethodIndex) return -1;
    return kHandlerNumbers[methodIndex];
}

}  // namespace sonidrax
