#include "driver/run.hpp"

#include "driver/dialogue.hpp"
#include "driver/placement.hpp"
#include "driver/trace_loop.hpp"

namespace tarnvik {

int run_conversion(run_state& run) {
    if (const step s = run_dialogue(run.con, run.settings, run.reel, run.place); s.ends) {
        release(run.con);
        return s.status;
    }
    position_first_trace(run.place);
    if (const step s = convert_traces(run); s.ends) {
        release(run.con);
        return s.status;
    }
    return finish_run(run.con, run.settings, run.place);
}

}  // namespace tarnvik
