#include "sim/SimOptions.h"

namespace undarix::sim {

char FormatLetter(int code) {
    switch (code) {
    case kFormatAscii32: return 'A';
    case kFormatFloat32: return 'F';
    case kFormatInteger64: return 'I';
    case kFormatAscii1: return 'C';
    case kFormatInteger60: return 'i';
    default: return 0;
    }
}

int FormatCode(char letter) {
    switch (letter) {
    case 'A': return kFormatAscii32;
    case 'F': return kFormatFloat32;
    case 'I': return kFormatInteger64;
    case 'C': return kFormatAscii1;
    case 'i': return kFormatInteger60;
    default: return 0;
    }
}

} // namespace undarix::sim
