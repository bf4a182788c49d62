// The preferences dialog's record and procedure. The record lives on the
// caller's stack while the dialog runs; its texts come from the host allocator.
#pragma once

#include <windows.h>

#include "engine/sound_xtra.h"
#include "ui/prefs_dialog_ids.h"

namespace sonidrax {

constexpr int32_t kPrefsDialogId = SONIDRAX_PREFS_DIALOG;
constexpr int kMainDeviceCombo = SONIDRAX_MAIN_DEVICE_COMBO;
constexpr int kCueDeviceCombo = SONIDRAX_CUE_DEVICE_COMBO;
constexpr int kToolTipsBox = SONIDRAX_TOOL_TIPS_BOX;

struct PrefsRecord {
    SoundXtra* instance;
    uint8_t accepted;  // set when the user pressed OK
    char* mainDevice;  // null when the settings had none or memory ran out
    char* cueDevice;
    int32_t toolTips;
};

INT_PTR CALLBACK PrefsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace sonidrax
