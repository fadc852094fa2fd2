#include "link/PanId.h"

namespace undarix::link {

void GetLocalPANID() {}

void RxATCommandResponce(int) {}

void RxRemoteATCommandResponce(int) {}

} // namespace undarix::link
