// What every modal dialog of the plug-in does with its window: it sits centred
// across the desktop, and while it is up a timer keeps the host's movie running,
// since the host's own loop is held up by the dialog's.
#pragma once

#include <windows.h>

#include "engine/sound_xtra.h"

namespace sonidrax {

constexpr UINT_PTR kDialogTimerId = 1;
constexpr UINT kDialogTimerMs = 100;

// Moves the window to the middle of the desktop's width; its height on screen
// and its size stay.
void CentreHorizontally(HWND window);

// Starts the movie timer on the window and keeps its id in the instance.
void StartDialogTimer(SoundXtra& xtra, HWND window);
void StopDialogTimer(SoundXtra& xtra, HWND window);

// One frame event and one stage update for the host's active movie, when
// there is one.
void UpdateHostMovie(const SoundXtra& xtra);

}  // namespace sonidrax
