#include "app/PanelGeometry.h"

namespace undarix::app {

PanelGeometry PanelGeometryForScreen(int screenWidth, int screenHeight) {
    PanelGeometry geometry;
    geometry.height = static_cast<int>(screenHeight * 0.95);
    geometry.width = static_cast<int>(screenWidth * 0.96);
    geometry.top = static_cast<int>(geometry.height * 0.03);
    geometry.left = static_cast<int>(geometry.width * 0.02);
    return geometry;
}

} // namespace undarix::app
