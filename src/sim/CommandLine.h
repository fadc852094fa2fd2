#pragma once

// The options of undarix-sim.

#include "sim/SimOptions.h"

#include <string>

namespace undarix::sim {

enum class ParseStatus { Run, Help, Error };

// Reads argv into `options`; on Error, `message` says what is wrong.
ParseStatus ParseCommandLine(int argc, const char* const* argv, SimOptions& options,
                             std::string& message);
[[nodiscard]] std::string HelpText();
// One line on what runs, for the start-up message.
[[nodiscard]] std::string Describe(const SimOptions& options);

} // namespace undarix::sim
