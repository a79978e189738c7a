// The whole conversation with the user, from the banner to the starting SSN.
#pragma once

#include "driver/run_state.hpp"

namespace tarnvik {

// Runs the dialogue: fills the settings and the reel summary, opens the
// input (standing after its reel header) and the output. Ends the run on
// the failures and refusals the dialogue meets.
[[nodiscard]] step run_dialogue(console& con, conversion_settings& settings, reel_summary& reel,
                                placement& place);

}  // namespace tarnvik
