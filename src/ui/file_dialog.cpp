#include "ui/file_dialog.h"

#include <cstring>

#include "ui/dialog_window.h"

namespace sonidrax {

namespace {

// Pairs of description and pattern; the literal's own terminator ends the list.
constexpr char kOpenFilter[] =
    "MP3 Files (.mp3)\0*.mp3\0"
    "WAVE Files (*.wav)\0*.wav\0"
    "Playlist Files (*.m3u)\0*.m3u\0"
    "All Files (*.*)\0*.*\0";
constexpr char kSaveFilter[] =
    "Playlist Files (*.m3u)\0*.m3u\0"
    "All Files (*.*)\0*.*\0";

constexpr DWORD kOpenAllFilesIndex = 4;
constexpr DWORD kSavePlaylistIndex = 1;
constexpr DWORD kOpenFlags =
    OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST | OFN_SHAREAWARE | OFN_HIDEREADONLY | OFN_ENABLEHOOK;
constexpr DWORD kSaveFlags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_SHAREAWARE | OFN_HIDEREADONLY | OFN_ENABLEHOOK;
static_assert(kOpenFlags == 0x00084A24 && kSaveFlags == 0x00084026);

SoundXtra* InstanceOf(HWND hook) {
    auto* settings = reinterpret_cast<const OPENFILENAMEA*>(GetWindowLongPtrA(hook, GWLP_USERDATA));
    return settings == nullptr ? nullptr : reinterpret_cast<SoundXtra*>(settings->lCustData);
}

// The hook's window is an empty child of the visible dialog. Answering 0 lets
// the dialog's own handling go on.
UINT_PTR CALLBACK FileDialogHook(HWND hook, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(hook, GWLP_USERDATA, lParam);
            CentreHorizontally(GetParent(hook));
            if (SoundXtra* xtra = InstanceOf(hook)) StartDialogTimer(*xtra, hook);
            break;
        }
        case WM_TIMER:
            if (SoundXtra* xtra = InstanceOf(hook); xtra != nullptr && wParam == kDialogTimerId) UpdateHostMovie(*xtra);
            break;
        case WM_DESTROY:
            if (SoundXtra* xtra = InstanceOf(hook)) StopDialogTimer(*xtra, hook);
            break;
        default:
            break;
    }
    return 0;
}

OPENFILENAMEA CommonSettings(SoundXtra& xtra, char* fileBuffer) {
    OPENFILENAMEA settings = {};
    settings.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    settings.hwndOwner = xtra.mainWindow;
    settings.hInstance = xtra.appInstance;
    settings.lpstrFile = fileBuffer;
    settings.nMaxFile = kFileBufferSize;
    settings.lpfnHook = FileDialogHook;
    settings.lCustData = reinterpret_cast<LPARAM>(&xtra);
    return settings;
}

}  // namespace

char* AllocateFileBuffer(const SoundXtra& xtra) {
    auto* buffer = static_cast<char*>(xtra.Allocate(kFileBufferSize));
    if (buffer != nullptr) std::memset(buffer, 0, kFileBufferSize);
    return buffer;
}

OPENFILENAMEA OpenDialogSettings(SoundXtra& xtra, char* fileBuffer) {
    OPENFILENAMEA settings = CommonSettings(xtra, fileBuffer);
    settings.lpstrFilter = kOpenFilter;
    settings.nFilterIndex = kOpenAllFilesIndex;
    settings.Flags = kOpenFlags;
    return settings;
}

OPENFILENAMEA SaveDialogSettings(SoundXtra& xtra, char* fileBuffer) {
    OPENFILENAMEA settings = CommonSettings(xtra, fileBuffer);
    settings.lpstrFilter = kSaveFilter;
    settings.nFilterIndex = kSavePlaylistIndex;
    settings.lpstrDefExt = "m3u";
    settings.Flags = kSaveFlags;
    return settings;
}

HostModal::HostModal(const SoundXtra& xtra) : window_(xtra.hostWindow) {
    if (window_ != nullptr && window_->ops->BeginModal(window_, &state_) != 0) window_ = nullptr;
}

HostModal::~HostModal() {
    if (window_ != nullptr) window_->ops->EndModal(window_, state_);
}

}  // namespace sonidrax
