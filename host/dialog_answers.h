// Presses buttons in the dialogs that come up while a script runs, so that scripts
// can drive modal dialogs ("answer dialog 1 after 200").
#pragma once

#include "host.h"

namespace sonidrax::host {

void InstallDialogAnswers(Host* host);
void RemoveDialogAnswers();

}  // namespace sonidrax::host
