// The movie service's start-up for the whole process, counted under a mutex
// named as a movie toolbox names its own, so that every plug-in instance (and
// any other module of the process that follows the same convention) shares one
// start-up and the last one out shuts it down.
#pragma once

#include <cstdint>

namespace sonidrax::media {

// Runs `start` on the first entry only; an entry whose start fails is not
// counted. Answers 0 or the failure of `start`.
int32_t EnterProcessStartup(int32_t (*start)());
// Runs `stop` when the last counted entry leaves.
void LeaveProcessStartup(void (*stop)());

}  // namespace sonidrax::media
