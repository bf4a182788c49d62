#include "frame/module_handle.h"

namespace sonidrax {

HINSTANCE moduleHandle = nullptr;

}  // namespace sonidrax
