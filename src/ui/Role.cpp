#include "ui/Role.h"

namespace undarix::ui {

std::string ArrayItemName(Role array, int index) {
    std::string name(array);
    name += '_';
    name += std::to_string(index);
    return name;
}

std::array<std::string, 8> ArrayOfEight(Role array) {
    std::array<std::string, 8> names;
    for (int i = 0; i < 8; ++i) names[i] = ArrayItemName(array, i);
    return names;
}

} // namespace undarix::ui
