// Ids of the preferences dialog template and its controls. Plain definitions,
// because the resource compiler reads this file too and knows only the
// preprocessor.
#pragma once

#define SONIDRAX_PREFS_DIALOG 11009
#define SONIDRAX_MAIN_DEVICE_COMBO 901
#define SONIDRAX_CUE_DEVICE_COMBO 902
#define SONIDRAX_TOOL_TIPS_BOX 903
