// The decoder's own last elements of its filter chains, and the pass-on methods
// installed for the forwarding methods a filter leaves null.
#pragma once

#include "decoder/decoder_internals.h"

namespace sonidrax::decoder {

void InitializeInputTerminal(Decoder* decoder, InputFilterElement* element);
void InitializeOutputTerminal(Decoder* decoder, OutputFilterElement* element);

void FillInputPassOns(InputFilter* filter);
void FillOutputPassOns(OutputFilter* filter);

}  // namespace sonidrax::decoder
