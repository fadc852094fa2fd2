#pragma once

// The spectrum as a comma-separated file: the run's description and results as comment lines
// ("# "), a header naming the columns with the spectrum's unit, then one line per bin of
// frequency (Hz) and value. Numbers are written the same under every locale, each the
// shortest text that reads back as the very same double.

#include <string>
#include <string_view>
#include <vector>

namespace undarix::analysis::codec {

// The shortest decimal text of `value` that reads back exactly; "nan", "inf" as such.
[[nodiscard]] std::string CsvNumber(double value);

// `comments` become lines "# <text>"; bin k is at k x df Hz. Lines end in CR LF, as the
// program's data files do.
[[nodiscard]] std::string SpectrumCsv(const std::vector<std::string>& comments,
                                      std::string_view unit, const double* values, int count,
                                      double df);

} // namespace undarix::analysis::codec
