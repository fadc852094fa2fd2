#pragma once

// Creating the application object applies the user's locale to the C library, and a German or
// French locale would then print and read reals with a decimal comma in every printf and
// strtod of the process. The numbers this program exchanges with units, files and other
// programs always carry a decimal point, so the C library's numbers go back to the C locale
// right after the application object exists. Texts, collation and character classes keep the
// user's locale; Qt's own number display (QLocale) is not affected.

namespace undarix::app {

void KeepNumbersInCLocale();

} // namespace undarix::app
