// TARNVIK: converts a SEG-Y tape image into a VARN floating-point trace
// file, in a dialogue on the console. Takes no command-line arguments.
#include <cstdio>

#include "driver/platform.hpp"
#include "driver/run.hpp"

namespace {

tarnvik::run_state run;  // all storage of the run; nothing is allocated per trace
char stdout_buffer[1 << 16];

}  // namespace

int main() {
    // The console text is held and released in large pieces; standard
    // output adds no flushing of its own.
    std::setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);
    run.con.in = stdin;
    run.con.out = stdout;
    run.con.out_is_terminal = tarnvik::is_terminal(stdout);
    tarnvik::prepare_console(stdin, stdout);
    return tarnvik::run_conversion(run);
}
