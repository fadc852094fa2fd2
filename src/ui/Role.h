#pragma once

#include <array>
#include <string>
#include <string_view>

namespace undarix::ui {

// A control is addressed by its role: the object name it carries in the Designer files.
using Role = std::string_view;

// The name of item `index` of a control array, e.g. ArrayItemName("OutputArray", 3) is
// "OutputArray_3".
[[nodiscard]] std::string ArrayItemName(Role array, int index);

// The names of the items of an eight-item control array, built once so that code on the
// receive path can address a cell without building a string per packet.
[[nodiscard]] std::array<std::string, 8> ArrayOfEight(Role array);

} // namespace undarix::ui
