#include "core/ProgramState.h"

namespace undarix::core {

ProgramState Program;

void ResetProgramState() {
    Program = ProgramState{};
}

} // namespace undarix::core
