#include "dialog_answers.h"

#include <cstring>

namespace sonidrax::host {
namespace {

// Timer id on the dialog window; far from the small ids dialogs use themselves.
constexpr UINT_PTR kAnswerTimer = 0x5D01;

Host* g_host = nullptr;
HHOOK g_hook = nullptr;
// The button each pending dialog gets, by window.
std::vector<std::pair<HWND, int32_t>> g_pending;

void CALLBACK PressButton(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    KillTimer(dialog, timer);
    for (auto it = g_pending.begin(); it != g_pending.end(); ++it) {
        if (it->first == dialog) {
            const int32_t button = it->second;
            g_pending.erase(it);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
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
            const auto [button, delay] = g_host->dialogAnswers.front();
            g_host->dialogAnswers.pop_front();
            g_pending.push_back({window, button});
            SetTimer(window, kAnswerTimer, static_cast<UINT>(delay), PressButton);
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
