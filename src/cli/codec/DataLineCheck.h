#pragma once

// Checking the lines of a data file before they are written again: a line is taken only when
// it has the fixed layout the data-file writer gives it, so that a cut, spliced or foreign
// line never reaches the rewritten file.

#include <cstddef>

namespace undarix::cli::codec {

// Why the line (without its CR LF) is not a line of a data file; nullptr when it is one.
[[nodiscard]] const char* DataLineProblem(const char* line, std::size_t length);

// The device number a line names (the decimal digits at position 1).
[[nodiscard]] int DataLineDevice(const char* line, std::size_t length);

// A good line as the data-file writer prints it: the prefix as it stands, each value read and
// printed again, CR LF at the end. `out` holds at least files::codec::kMaxDataLine bytes.
// Returns the length with CR LF, or 0 for a line that DataLineProblem refuses.
std::size_t RewriteDataLine(const char* line, std::size_t length, char* out);

} // namespace undarix::cli::codec
