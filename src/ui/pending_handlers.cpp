// Handlers whose subsystems have not landed yet answer "not provided".
#include "ui/ui_handlers.h"

namespace sonidrax {

Status DsDirExists(ScriptCall&) { return kNotProvided; }
Status DsCreateDir(ScriptCall&) { return kNotProvided; }
Status DsGetFileSize(ScriptCall&) { return kNotProvided; }
Status DsGetDate(ScriptCall&) { return kNotProvided; }
Status DsKeyState(ScriptCall&) { return kNotProvided; }
Status DsOpenFileDialog(ScriptCall&) { return kNotProvided; }
Status DsSaveFileDialog(ScriptCall&) { return kNotProvided; }
Status DsShowPrefsDialog(ScriptCall&) { return kNotProvided; }
Status DsMoveFile(ScriptCall&) { return kNotProvided; }
Status DsAppIsForeground(ScriptCall&) { return kNotProvided; }

}  // namespace sonidrax
