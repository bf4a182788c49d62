// dsSaveFileDialog: a playlist name to save under. The two text arguments are
// accepted as the method table declares them, and not used.
#include "ui/file_dialog.h"
#include "ui/ui_handlers.h"

namespace sonidrax {

// A cancelled dialog answers the empty text; one the host does not allow
// leaves the result as the host set it.
Status DsSaveFileDialog(ScriptCall& call) {
    SoundXtra& xtra = XtraOf(call);
    char* buffer = AllocateFileBuffer(xtra);
    if (buffer == nullptr) return call.finish(kOutOfMemory);
    OPENFILENAMEA settings = SaveDialogSettings(xtra, buffer);
    {
        HostModal modal(xtra);
        if (xtra.dialogsAllowed) {
            const bool chosen = GetSaveFileNameA(&settings) != FALSE;
            buffer[kFileBufferSize - 1] = '\0';
            call.returnString(chosen ? buffer : "");
        }
    }
    xtra.Free(buffer);
    return call.finish(kOk);
}

}  // namespace sonidrax
