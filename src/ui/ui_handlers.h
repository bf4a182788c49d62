// The handlers of the dialogs and the file-system and system helpers.
#pragma once

#include "frame/script_call.h"

namespace sonidrax {

Status DsDirExists(ScriptCall& call);
Status DsCreateDir(ScriptCall& call);
Status DsGetFileSize(ScriptCall& call);
Status DsGetDate(ScriptCall& call);
Status DsKeyState(ScriptCall& call);
Status DsOpenFileDialog(ScriptCall& call);
Status DsSaveFileDialog(ScriptCall& call);
Status DsShowPrefsDialog(ScriptCall& call);
Status DsMoveFile(ScriptCall& call);
Status DsAppIsForeground(ScriptCall& call);

}  // namespace sonidrax
