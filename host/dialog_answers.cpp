#include "dialog_answers.h"

#include <cstring>
#include <map>

namespace sonidrax::host {
namespace {

// Timer id on the dialog window; far from the small ids dialogs use themselves.
constexpr UINT_PTR kAnswerTimer = 0x5D01;

Host* g_host = nullptr;
HHOOK g_hook = nullptr;
// File name fields of the standard file dialogs (explorer style, then old style).
constexpr int kFileNameFields[] = {0x47C, 0x480};

// The answer each pending dialog gets, by window.
std::vector<std::pair<HWND, DialogAnswer>> g_pending;

bool HasClass(HWND window, const char* name) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpiA(className, name) == 0;
}

BOOL CALLBACK DescribeBox(HWND control, LPARAM lParam) {
    auto* boxes = reinterpret_cast<std::map<int, std::string>*>(lParam);
    const int id = GetDlgCtrlID(control);
    const LONG kind = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    if (HasClass(control, "ComboBox")) {
        const LRESULT entry = SendMessageA(control, CB_GETCURSEL, 0, 0);
        (*boxes)[id] = entry == CB_ERR ? "shows nothing" : "shows entry " + std::to_string(entry);
    } else if (HasClass(control, "Button") && (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX)) {
        (*boxes)[id] = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "ticked" : "clear";
    }
    return TRUE;
}

// dialog "Caption": 901 shows entry 0, 903 clear
void ReportBoxes(HWND dialog) {
    char caption[128] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    std::map<int, std::string> boxes;
    EnumChildWindows(dialog, DescribeBox, reinterpret_cast<LPARAM>(&boxes));
    std::string line = "dialog \"" + std::string(caption) + "\":";
    for (const auto& [id, state] : boxes) {
        line += (line.back() == ':' ? " " : ", ") + std::to_string(id) + " " + state;
    }
    g_host->Print(line);
}

// dialog "Caption": 1136 lists "Sound Files", "All Files"
void ListEntries(HWND dialog, int32_t id) {
    char caption[128] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    std::string line = "dialog \"" + std::string(caption) + "\": " + std::to_string(id);
    const LRESULT count = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
    if (count == CB_ERR) {
        g_host->Print(line + " is no combo box");
        return;
    }
    line += " lists";
    for (LRESULT entry = 0; entry < count; ++entry) {
        char text[256] = {};
        const LRESULT length = SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(entry), 0);
        if (length >= 0 && length < static_cast<LRESULT>(sizeof text)) {
            SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(text));
        }
        line += (entry == 0 ? " \"" : ", \"") + std::string(text) + "\"";
    }
    g_host->Print(line);
}

void TypeName(HWND dialog, const std::string& text) {
    for (int field : kFileNameFields) {
        SetDlgItemTextA(dialog, field, text.c_str());
    }
}

void Command(HWND dialog, int id, WORD notification) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Answer(HWND dialog, const DialogAnswer& answer) {
    if (answer.report && g_host) {
        ReportBoxes(dialog);
    }
    for (int32_t id : answer.listings) {
        if (g_host) ListEntries(dialog, id);
    }
    if (answer.folder) {
        // A file dialog given a folder's path goes there and stays open.
        TypeName(dialog, *answer.folder);
        Command(dialog, IDOK, BN_CLICKED);
    }
    if (answer.typed) {
        TypeName(dialog, *answer.typed);
    }
    for (const auto& [id, entry] : answer.choices) {
        SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        Command(dialog, id, CBN_SELCHANGE);
    }
    for (int32_t id : answer.ticks) {
        CheckDlgButton(dialog, id, BST_CHECKED);
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer.button)));
}

void CALLBACK PressButton(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    KillTimer(dialog, timer);
    for (auto it = g_pending.begin(); it != g_pending.end(); ++it) {
        if (it->first == dialog) {
            const DialogAnswer answer = it->second;
            g_pending.erase(it);
            Answer(dialog, answer);
            return;
        }
    }
}

LRESULT CALLBACK WatchWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_host && !g_host->dialogAnswers.empty()) {
        HWND window = reinterpret_cast<HWND>(wParam);
        bool known = false;
        for (const auto& entry : g_pending) {
            known = known || entry.first == window;
        }
        if (HasClass(window, "#32770") && !known) {
            const DialogAnswer answer = g_host->dialogAnswers.front();
            g_host->dialogAnswers.pop_front();
            g_pending.push_back({window, answer});
            SetTimer(window, kAnswerTimer, static_cast<UINT>(answer.delayMs), PressButton);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace

void InstallDialogAnswers(Host* host) {
    g_host = host;
    if (!g_hook) {
        g_hook = SetWindowsHookExA(WH_CBT, WatchWindows, nullptr, GetCurrentThreadId());
    }
}

void RemoveDialogAnswers() {
    if (g_hook) {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
    g_pending.clear();
    g_host = nullptr;
}

}  // namespace sonidrax::host
