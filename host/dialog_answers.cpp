#include "dialog_answers.h"

#include <cstring>

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

void CALLBACK PressButton(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    KillTimer(dialog, timer);
    for (auto it = g_pending.begin(); it != g_pending.end(); ++it) {
        if (it->first == dialog) {
            const DialogAnswer answer = it->second;
            g_pending.erase(it);
            if (answer.typed) {
                for (int field : kFileNameFields) {
                    SetDlgItemTextA(dialog, field, answer.typed->c_str());
                }
            }
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer.button)));
            return;
        }
    }
}

LRESULT CALLBACK WatchWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_host && !g_host->dialogAnswers.empty()) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        bool known = false;
        for (const auto& entry : g_pending) {
            known = known || entry.first == window;
        }
        if (std::strcmp(className, "#32770") == 0 && !known) {
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
