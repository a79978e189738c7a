#pragma once

#include "driver/run_state.hpp"

namespace tarnvik {

// One whole run: the dialogue, every trace, and the end. Returns the exit
// status.
int run_conversion(run_state& run);

}  // namespace tarnvik
