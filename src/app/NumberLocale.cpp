#include "app/NumberLocale.h"

#include <clocale>

namespace undarix::app {

void KeepNumbersInCLocale() {
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace undarix::app
