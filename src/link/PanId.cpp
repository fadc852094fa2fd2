#include "link/PanId.h"

namespace undarix::link {

void GetLocalPANID() {}

} // namespace undarix::link
