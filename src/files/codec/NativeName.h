#pragma once

// File names as the system keeps them (bytes, UTF-8 by convention but not by rule) and as the
// program handles them (UTF-16). A byte that is not part of valid UTF-8 becomes the lone low
// surrogate 0xDC00 + byte, and turns back into that very byte: a name such as "mess\xE9.csv",
// written under a Latin-1 system long ago, still opens the file it names.

#include <string>
#include <string_view>

namespace undarix::files::codec {

[[nodiscard]] std::u16string DecodeNativeName(std::string_view bytes);
[[nodiscard]] std::string EncodeNativeName(std::u16string_view name);

} // namespace undarix::files::codec
