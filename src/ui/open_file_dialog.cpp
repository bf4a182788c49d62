// dsOpenFileDialog: one or more audio or playlist files, as a list of full paths.
#include "ui/file_dialog.h"
#include "ui/selected_paths.h"
#include "ui/ui_handlers.h"

namespace sonidrax {

namespace {

void ReturnPaths(ScriptCall& call, const OPENFILENAMEA& settings) {
    const SoundXtra& xtra = XtraOf(call);
    SelectedPaths paths(settings.lpstrFile, kFileBufferSize, settings.nFileOffset);
    TextBuffer path;
    int32_t position = 0;
    while (paths.Next(path)) {
        ScriptValue value = {};
        xtra.hostValues->ops->FromString(xtra.hostValues, path, &value);
        xtra.hostLists->ops->SetAt(xtra.hostLists, &call.info().result, ++position, &value);
    }
}

}  // namespace

// A cancelled dialog, or one the host does not allow, answers an empty list.
Status DsOpenFileDialog(ScriptCall& call) {
    SoundXtra& xtra = XtraOf(call);
    char* buffer = AllocateFileBuffer(xtra);
    if (buffer == nullptr) return call.finish(kOutOfMemory);
    OPENFILENAMEA settings = OpenDialogSettings(xtra, buffer);
    {
        HostModal modal(xtra);
        xtra.hostLists->ops->NewList(xtra.hostLists, &call.info().result);
        if (xtra.dialogsAllowed && GetOpenFileNameA(&settings)) ReturnPaths(call, settings);
    }
    xtra.Free(buffer);
    return call.finish(kOk);
}

}  // namespace sonidrax
