#include <cstring>

#include "engine/output_device.h"
#include "ui/dialog_window.h"
#include "ui/prefs_dialog.h"

namespace sonidrax {

namespace {

PrefsRecord* RecordOf(HWND dialog) { return reinterpret_cast<PrefsRecord*>(GetWindowLongPtrA(dialog, GWLP_USERDATA)); }

void FillDeviceCombo(HWND combo, const SoundXtra& xtra) {
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const OutputDevice* device = xtra.deviceList; device != nullptr; device = device->next) {
        if (device->description != nullptr) {
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(device->description));
        }
    }
}

// Entry 0 is the first listed device, which stands for the default one, so an
// empty name shows it; a name is looked for from entry 1 on, wrapping round,
// and a name that matches nothing leaves the combo without a selection.
void SelectDeviceName(HWND combo, const char* name) {
    if (name == nullptr || name[0] == '\0') {
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        return;
    }
    SendMessageA(combo, CB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(name));
}

// The chosen entry's text; entry 0 (the default device) and no selection both
// give the empty text. Null when memory runs out.
char* TakeSelectedName(const SoundXtra& xtra, HWND combo) {
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    LRESULT length = index < 1 ? 0 : SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) length = 0;
    auto* text = static_cast<char*>(xtra.Allocate(static_cast<uint32_t>(length) + 1));
    if (text == nullptr) return nullptr;
    std::memset(text, 0, static_cast<size_t>(length) + 1);
    if (length > 0) SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

void OpenDialog(HWND dialog, PrefsRecord& record) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&record));
    CentreHorizontally(dialog);
    HWND mainCombo = GetDlgItem(dialog, kMainDeviceCombo);
    HWND cueCombo = GetDlgItem(dialog, kCueDeviceCombo);
    FillDeviceCombo(mainCombo, *record.instance);
    FillDeviceCombo(cueCombo, *record.instance);
    SelectDeviceName(mainCombo, record.mainDevice);
    SelectDeviceName(cueCombo, record.cueDevice);
    CheckDlgButton(dialog, kToolTipsBox, record.toolTips != 0 ? BST_CHECKED : BST_UNCHECKED);
    StartDialogTimer(*record.instance, dialog);
}

void Accept(HWND dialog, PrefsRecord& record) {
    const SoundXtra& xtra = *record.instance;
    record.accepted = 1;
    xtra.Free(record.mainDevice);
    record.mainDevice = TakeSelectedName(xtra, GetDlgItem(dialog, kMainDeviceCombo));
    xtra.Free(record.cueDevice);
    record.cueDevice = TakeSelectedName(xtra, GetDlgItem(dialog, kCueDeviceCombo));
    record.toolTips = IsDlgButtonChecked(dialog, kToolTipsBox) == BST_CHECKED ? 1 : 0;
}

}  // namespace

INT_PTR CALLBACK PrefsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OpenDialog(dialog, *reinterpret_cast<PrefsRecord*>(lParam));
            return TRUE;
        case WM_TIMER:
            if (wParam != kDialogTimerId || RecordOf(dialog) == nullptr) return FALSE;
            UpdateHostMovie(*RecordOf(dialog)->instance);
            return TRUE;
        case WM_COMMAND: {
            const WORD command = LOWORD(wParam);
            if (command != IDOK && command != IDCANCEL) return FALSE;
            if (command == IDOK && RecordOf(dialog) != nullptr) Accept(dialog, *RecordOf(dialog));
            EndDialog(dialog, command);
            return TRUE;
        }
        case WM_DESTROY:
            if (RecordOf(dialog) != nullptr) StopDialogTimer(*RecordOf(dialog)->instance, dialog);
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace sonidrax
