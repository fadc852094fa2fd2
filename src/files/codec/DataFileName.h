#pragma once

// Names of the numbered data files. The user chooses "site.csv"; the program writes
// "site000.csv", then "site001.csv", ... at each rotation, up to "site998.csv".

#include <cstddef>
#include <string>
#include <string_view>

namespace undarix::files::codec {

// The file names are held in a buffer of 260 characters with its terminating zero.
inline constexpr std::size_t kMaxPathLength = 259;
inline constexpr int kLastFileNumber = 998;

// The first numbered name: a real extension (a dot and three characters, none of them a dot
// or a directory separator) is replaced by "000.csv"; any other name gets "000.csv" appended.
[[nodiscard]] std::string NumberedDataFileName(std::string_view chosen);

// A numbered name (ending in three digits and ".csv") with its number set to `number`
// (0 to 998).
[[nodiscard]] std::string DataFileNameWithNumber(std::string_view numbered, int number);

} // namespace undarix::files::codec
