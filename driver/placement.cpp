#include "driver/placement.hpp"

#include <algorithm>
#include <cerrno>

namespace tarnvik {

namespace {

// Tag in the name of the temporary file an in-place conversion writes, so
// that one left behind by an interruption says what it is.
constexpr const char* temporary_tag = ".tarnvik-converting";

void close_input(placement& place) {
    if (place.input.fd >= 0) {
        close_descriptor(place.input.fd);
        place.input.fd = -1;
    }
}

void close_output(placement& place) {
    if (place.output_open) {
        close_descriptor(place.output.fd);
        place.output_open = false;
    }
}

// Drops the output: in place the temporary file goes (the input stays as
// it was); in append mode a file this run created goes when asked.
void discard_output(placement& place, bool remove_created) {
    if (!place.output_open) {
        return;
    }
    close_output(place);
    if (place.in_place) {
        remove_file(place.temporary_path.data());
    } else if (remove_created && place.created_output) {
        remove_file(place.output_name);
    }
}

step open_in_place(console& con, const conversion_settings& settings, placement& place) {
    const char* name = settings.input_name.data();
    int error = 0;
    if (!resolve_path(name, place.target_path.data(), place.target_path.size(), error)) {
        print(con, "Cannot convert %s in place: %s\n", name, error_text(error));
        return end_run(1);
    }
    const file_identity input = identity_of_descriptor(place.input.fd);
    if (!input.regular) {
        print(con, "Cannot convert %s in place: it is not a regular file\n", name);
        return end_run(1);
    }
    // The input is replaced only where it could be overwritten.
    const io_result writable = open_existing_for_writing(place.target_path.data());
    if (writable.count < 0) {
        print(con, "Cannot convert %s in place: %s\n", name, error_text(writable.error));
        return end_run(1);
    }
    close_descriptor(static_cast<int>(writable.count));
    if ((input.permissions & 0222) == 0) {
        print(con, "Cannot convert %s in place: the file is read-only\n", name);
        return end_run(1);
    }
    const io_result created =
        create_file_beside(place.target_path.data(), temporary_tag, input,
                           place.temporary_path.data(), place.temporary_path.size());
    if (created.count < 0) {
        print(con, "Cannot create a temporary file beside %s: %s\n", name,
              error_text(created.error));
        return end_run(1);
    }
    place.output.fd = static_cast<int>(created.count);
    place.output_open = true;
    place.in_place = true;
    place.output.written = 0;
    place.write_position = 0;
    return go_on;
}

step open_for_append(console& con, const conversion_settings& settings, placement& place) {
    const char* name = settings.output_name.data();
    print(con, "Creating/Appending to %s\n", name);
    const io_result opened = open_for_appending(name, place.created_output);
    if (opened.count < 0) {
        print(con, "Cannot open output file %s: %s\n", name, error_text(opened.error));
        return end_run(1);
    }
    place.output.fd = static_cast<int>(opened.count);
    place.output_open = true;
    place.output_name = name;
    place.output_identity = identity_of_descriptor(place.output.fd);
    std::int64_t start = 0;
    const io_result end = seek_to_end(place.output.fd);
    if (end.count < 0) {
        print(con, "Append fseek failure. Notify systems programmer at once!\n");
    } else {
        start = end.count;
    }
    place.output.written = start;
    place.write_position = start;
    return go_on;
}

// Reports a failed write-out at the trace it reached: the console ends
// after that trace's own text, and the output keeps only whole traces.
step end_after_write_failure(console& con, placement& place) {
    const std::int64_t failed_at = place.output.failed_at;
    const trace_mark* reached = nullptr;
    for (std::size_t i = 0; i < place.mark_count; ++i) {
        if (place.marks[i].start <= failed_at) {
            reached = &place.marks[i];
        }
    }
    std::int64_t keep = place.output.written;
    if (reached != nullptr) {
        release_up_to(con, reached->console_mark);
        keep = reached->start;
    } else {
        release(con);
    }
    if (reached == nullptr || failed_at < reached->start + std::int64_t{output_header_size}) {
        print(con, "Error writing header\n");
    } else {
        print(con, "Error writing trace data\n");
    }
    release(con);
    if (!place.in_place && place.output_identity.regular) {
        set_length(place.output.fd, keep);
    }
    discard_output(place, false);
    return end_run(1);
}

// Writes out the output block; a failure ends the run.
step write_out_traces(console& con, placement& place) {
    if (!write_out(place.output)) {
        return end_after_write_failure(con, place);
    }
    place.mark_count = 0;
    return go_on;
}

}  // namespace

void close_files(placement& place) {
    close_input(place);
    if (place.in_place) {
        discard_output(place, false);
    } else {
        close_output(place);
    }
}

step open_output(console& con, const conversion_settings& settings, placement& place) {
    return settings.same_file ? open_in_place(con, settings, place)
                              : open_for_append(con, settings, place);
}

void position_first_trace(placement& place) {
    place.read_position = place.input.position;
}

step prepare_trace_write(console& con, placement& place) {
    place.read_position = place.input.position;
    if (output_room(place.output) < largest_output_trace ||
        place.mark_count == place.marks.size()) {
        return write_out_traces(con, place);
    }
    return go_on;
}

void mark_trace_start(const console& con, placement& place) {
    place.marks[place.mark_count++] = {output_position(place.output), printed_so_far(con)};
}

void complete_trace(placement& place) {
    place.write_position = output_position(place.output);
}

step release_progress(console& con, placement& place) {
    const step written = write_out_traces(con, place);
    if (!written.ends) {
        release(con);
    }
    return written;
}

step end_after_read_failure(console& con, placement& place) {
    const step written = write_out_traces(con, place);
    if (written.ends) {
        return written;
    }
    print(con, "Error during data read.  Corrupt data\n");
    release(con);
    discard_output(place, false);
    return end_run(1);
}

step end_without_answers(console& con, placement& place) {
    print(con, "\nThe answers ended before the dialogue was complete: nothing converted.\n");
    release(con);
    discard_output(place, true);
    return end_run(1);
}

step end_on_refusal(placement& place) {
    if (place.in_place) {
        discard_output(place, false);
    }
    return end_run(0);
}

int finish_run(console& con, const conversion_settings& settings, placement& place) {
    const step written = write_out_traces(con, place);
    if (written.ends) {
        return written.status;
    }
    release(con);
    close_input(place);

    if (place.in_place) {
        int error = set_length(place.output.fd, place.write_position);
        if (error == 0) {
            error = sync_to_disk(place.output.fd);
        }
        const int closed = close_descriptor(place.output.fd);
        place.output_open = false;
        if (error == 0) {
            error = closed;
        }
        if (error == 0) {
            error = replace_file(place.temporary_path.data(), place.target_path.data());
        }
        if (error != 0) {
            remove_file(place.temporary_path.data());
            print(con, "Cannot replace %s with the converted data: %s\n",
                  settings.input_name.data(), error_text(error));
            release(con);
            return 1;
        }
        return 0;
    }

    const int closed = close_descriptor(place.output.fd);
    place.output_open = false;
    if (closed != 0) {
        print(con, "Error writing trace data\n");
        print(con, "Cannot close output file %s: %s\n", settings.output_name.data(),
              error_text(closed));
        release(con);
        return 1;
    }
    if (!place.output_identity.regular) {
        return 0;  // a device or pipe has no length to cut
    }
    const char* name = settings.output_name.data();
    const io_result reopened = open_existing_for_writing(name);
    if (reopened.count < 0) {
        print(con, "Cannot reopen output file %s to set its length: %s\n", name,
              error_text(reopened.error));
        release(con);
        return -1;
    }
    const int fd = static_cast<int>(reopened.count);
    if (!same_file(identity_of_descriptor(fd), place.output_identity)) {
        close_descriptor(fd);
        print(con,
              "Cannot reopen output file %s to set its length: it is no longer the file "
              "written\n",
              name);
        release(con);
        return -1;
    }
    int error = set_length(fd, place.write_position);
    const int closed_again = close_descriptor(fd);
    if (error == 0) {
        error = closed_again;
    }
    if (error != 0) {
        print(con, "Cannot set the length of output file %s: %s\n", name, error_text(error));
        release(con);
        return 1;
    }
    return 0;
}

}  // namespace tarnvik
