// The settings the open and save dialogs share: the file buffer, the owner and
// the hook that centres the dialog and keeps the host's movie running.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include "engine/sound_xtra.h"

namespace sonidrax {

constexpr uint32_t kFileBufferSize = 2048;

// A cleared file buffer from the host allocator, or null.
char* AllocateFileBuffer(const SoundXtra& xtra);

OPENFILENAMEA OpenDialogSettings(SoundXtra& xtra, char* fileBuffer);
OPENFILENAMEA SaveDialogSettings(SoundXtra& xtra, char* fileBuffer);

// Brackets a file dialog with the host's modal state; a modal state the host
// refused is not ended.
class HostModal {
public:
    explicit HostModal(const SoundXtra& xtra);
    ~HostModal();
    HostModal(const HostModal&) = delete;
    HostModal& operator=(const HostModal&) = delete;

private:
    HostWindow* window_;
    int32_t state_ = 0;
};

}  // namespace sonidrax
