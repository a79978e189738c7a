#include "driver/run.hpp"

#include "driver/dialogue.hpp"
#include "driver/placement.hpp"
#include "driver/trace_loop.hpp"

namespace tarnvik {

namespace {

int run_steps(run_state& run) {
    if (const step s = run_dialogue(run.con, run.settings, run.reel, run.place); s.ends) {
        return s.status;
    }
    position_first_trace(run.place);
    if (const step s = convert_traces(run); s.ends) {
        return s.status;
    }
    return finish_run(run.con, run.settings, run.place);
}

}  // namespace

int run_conversion(run_state& run) {
    const int status = run_steps(run);
    release(run.con);
    close_files(run.place);
    return status;
}

}  // namespace tarnvik
