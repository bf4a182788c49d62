#include "ui/dialog_window.h"

namespace sonidrax {

namespace {

// What the host's own loop would have sent the movie.
constexpr const char* kMovieHandlers[] = {"frameEvent", "updatestage"};

}  // namespace

void CentreHorizontally(HWND window) {
    RECT desktop = {};
    RECT frame = {};
    if (!GetWindowRect(GetDesktopWindow(), &desktop) || !GetWindowRect(window, &frame)) return;
    const LONG x = ((desktop.right - desktop.left) - (frame.right - frame.left)) / 2;
    SetWindowPos(window, nullptr, x, frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void StartDialogTimer(SoundXtra& xtra, HWND window) {
    xtra.dialogTimer = static_cast<uint32_t>(SetTimer(window, kDialogTimerId, kDialogTimerMs, nullptr));
}

void StopDialogTimer(SoundXtra& xtra, HWND window) {
    if (xtra.dialogTimer != 0) KillTimer(window, xtra.dialogTimer);
    xtra.dialogTimer = 0;
}

void UpdateHostMovie(const SoundXtra& xtra) {
    HostPlayer* player = xtra.hostPlayer;
    HostValues* values = xtra.hostValues;
    if (player == nullptr || values == nullptr) return;
    HostMovie* movie = nullptr;
    if (player->ops->GetActiveMovie(player, &movie) != 0 || movie == nullptr) return;
    for (const char* handler : kMovieHandlers) {
        Symbol symbol = 0;
        values->ops->StringToSymbol(values, handler, &symbol);
        movie->ops->CallHandler(movie, symbol, 0, nullptr, nullptr);
    }
    movie->ops->Release(movie);
}

}  // namespace sonidrax
