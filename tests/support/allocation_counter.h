// Counts the program's allocations: linking this replaces the global operator new
// (every form, aligned included) with one that counts before it allocates.
#pragma once

namespace sonidrax::testing {

// The allocations made through operator new since the program started.
long AllocationCount();

}  // namespace sonidrax::testing
