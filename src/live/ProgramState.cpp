#include "live/ProgramState.h"

namespace undarix::live {

ProgramState Program;

void ResetProgramState() { Program = ProgramState{}; }

} // namespace undarix::live
