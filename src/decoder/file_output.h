// The file output module: writes decoded PCM to a file, or to standard output for
// the name "-", as raw samples or as a RIFF WAVE file. Names take an optional
// prefix: "raw:" (the default), "wav:", and "aiff:" and "sun:", which write raw
// samples too.
#pragma once

#include "decoder/modules.h"

namespace sonidrax::decoder {

// Fills the module's descriptor; answers 0.
Status GetFileOutputModule(OutputModule* descriptor);

}  // namespace sonidrax::decoder
