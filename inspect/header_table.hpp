// The trace headers as a table: one CSV line per trace with the named
// words, under a line of column names, so that it opens in a spreadsheet.
#pragma once

#include <cstdio>

#include "inspect/varn_reader.hpp"

namespace tarnvik {

void print_header_table_columns(std::FILE* out);
void print_header_table_row(std::FILE* out, const varn_trace& trace);

}  // namespace tarnvik
