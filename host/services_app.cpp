// HostAppInfo, HostMessages and HostWindow: what the application is, what it tells
// the author, and its windows and modal state.
#include "host.h"
#include "message_format.h"
#include "status.h"

#include <cstring>

namespace sonidrax::host {
namespace {

constexpr size_t kMaxText = 65536;

template <typename Iface>
InstanceRecord* OwnerOf(Iface* self) {
    return FaceOf(self)->owner;
}

// ---- application info

Status __stdcall GetProperty(HostAppInfo* self, int32_t property, char* text, int32_t size) {
    Host* host = OwnerOf(self)->host;
    if (!text) {
        return kStatusNullPointer;
    }
    if (size <= 0) {
        return kStatusTooSmall;
    }
    text[0] = '\0';
    if (property != kAppPropertyKind || !host->appKind) {
        return kStatusNotFound;
    }
    const std::string& kind = *host->appKind;
    const size_t room = static_cast<size_t>(size) - 1;
    const size_t length = kind.size() < room ? kind.size() : room;
    std::memcpy(text, kind.data(), length);
    text[length] = '\0';
    return length < kind.size() ? kStatusTooSmall : kOk;
}

// ---- messages

Status __stdcall Show(HostMessages* self, const char* text) {
    if (!text) {
        return kStatusNullPointer;
    }
    OwnerOf(self)->host->ShowMessage(std::string(text, strnlen(text, kMaxText)));
    return kOk;
}

Status __stdcall ShowFormatted(HostMessages* self, const char* format, int32_t argument) {
    if (!format) {
        return kStatusNullPointer;
    }
    OwnerOf(self)->host->ShowMessage(FormatHostMessage(std::string(format, strnlen(format, kMaxText)), argument));
    return kOk;
}

// ---- windows, dialogs and modal state

Status __stdcall GetWindows(HostWindow* self, HINSTANCE* appInstance, HWND* mainWindow) {
    Host* host = OwnerOf(self)->host;
    if (appInstance) {
        *appInstance = GetModuleHandleA(nullptr);
    }
    if (mainWindow) {
        *mainWindow = host->MainWindow();
    }
    return kOk;
}

// The owner for dialogs: the main window unless it is only a message window.
HWND DialogOwner(Host* host) {
    HWND window = host->MainWindow();
    return window && GetParent(window) == nullptr && (GetWindowLongA(window, GWL_STYLE) & WS_OVERLAPPEDWINDOW)
               ? window
               : nullptr;
}

INT_PTR __stdcall RunDialog(HostWindow* self, HANDLE resources, int32_t dialogId, DLGPROC procedure, LPARAM record) {
    Host* host = OwnerOf(self)->host;
    ++host->dialogsRun;
    return DialogBoxParamA(reinterpret_cast<HINSTANCE>(resources), MAKEINTRESOURCEA(dialogId), DialogOwner(host),
                           procedure, record);
}

Status __stdcall BeginModal(HostWindow* self, int32_t* state) {
    InstanceRecord* owner = OwnerOf(self);
    Host* host = owner->host;
    if (!state) {
        return kStatusNullPointer;
    }
    *state = host->modalDepth;
    if (host->modalDepth++ == 0) {
        if (HWND window = DialogOwner(host)) {
            EnableWindow(window, FALSE);
        }
    }
    ++owner->modalHeld;
    return kOk;
}

Status __stdcall EndModal(HostWindow* self, int32_t state) {
    InstanceRecord* owner = OwnerOf(self);
    Host* host = owner->host;
    if (host->modalDepth == 0 || state != host->modalDepth - 1) {
        host->Fault("EndModal does not match the last BeginModal");
        return kStatusBadState;
    }
    if (--host->modalDepth == 0) {
        if (HWND window = DialogOwner(host)) {
            EnableWindow(window, TRUE);
        }
    }
    --owner->modalHeld;
    return kOk;
}

}  // namespace

const HostAppInfoOps kAppInfoOps = {
    {FaceQueryInterface<HostAppInfo>, FaceAddRef<HostAppInfo>, FaceRelease<HostAppInfo>}, GetProperty};

const HostMessagesOps kMessagesOps = {
    {FaceQueryInterface<HostMessages>, FaceAddRef<HostMessages>, FaceRelease<HostMessages>}, Show, ShowFormatted};

const HostWindowOps kWindowOps = {{FaceQueryInterface<HostWindow>, FaceAddRef<HostWindow>, FaceRelease<HostWindow>},
                                  nullptr,
                                  GetWindows,
                                  RunDialog,
                                  BeginModal,
                                  EndModal};

}  // namespace sonidrax::host
