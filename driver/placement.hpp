// Where every byte is read from and written to: a separate output that
// grows at its end (append mode), or the input replaced by its conversion
// once the run has succeeded (in place).
#pragma once

#include "driver/run_state.hpp"

namespace tarnvik {

// Opens the output named in the settings, in append mode or in place, and
// fixes the first write position.
[[nodiscard]] step open_output(console& con, const conversion_settings& settings, placement& place);

// The first read position: straight after the reel header.
void position_first_trace(placement& place);

// Called once a trace is read and before anything of it is written: takes
// the next read position and makes room for the trace in the output block.
[[nodiscard]] step prepare_trace_write(console& con, placement& place);

// Records where a trace's header goes, for reporting a failed write-out.
void mark_trace_start(const console& con, placement& place);

// Called after a trace was written or skipped: takes the next write position.
void complete_trace(placement& place);

// Writes out the output block, then the console text held for it.
[[nodiscard]] step release_progress(console& con, placement& place);

// Ends the run after a failed read of the input: the output keeps every
// trace before the failing one (in place, the input stays as it was).
[[nodiscard]] step end_after_read_failure(console& con, placement& place);

// Ends the run when the answers stop: an output this run created is removed.
[[nodiscard]] step end_without_answers(console& con, placement& place);

// Ends the run on a refused answer: in place, the temporary file is removed.
[[nodiscard]] step end_on_refusal(placement& place);

// Closes whatever is still open, as every end of a run does; an output in
// append mode is left as the end found it.
void close_files(placement& place);

// Closes every file, gets the output onto disk, cuts it to the write
// position (in place: puts it in the input's place) and gives the exit
// status.
[[nodiscard]] int finish_run(console& con, const conversion_settings& settings, placement& place);

}  // namespace tarnvik
