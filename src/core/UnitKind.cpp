#include "core/UnitKind.h"

namespace undarix::core {

const char* UnitKindName(int unitType) {
    switch (unitType) {
    case RavoZerarXB: return "Ravo Zerar XB";
    case RezavIvirErazudXB: return "Rezav Ivir Erazud XB";
    case RezavIvirErazudRV: return "Rezav Ivir Erazud RV";
    case WiredRavoZerar402E: return "Ravo Zerar TALQ-310-402E-";
    case WiredRavoZerar408: return "Ravo Zerar TALQ-310-408-";
    case DeveZuravi404E: return "Deve Zuravi TALQ-310-404E-";
    case DeveZuravi410: return "Deve Zuravi TALQ-310-410-";
    case Vazavevezeze: return "Vazavevezeze TALQ-312-412";
    default: return "";
    }
}

} // namespace undarix::core
