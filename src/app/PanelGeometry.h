#pragma once

namespace undarix::app {

struct PanelGeometry {
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
};

// The main panel fills 95 % of the screen's height and 96 % of its width, placed 3 % of its
// own height from the top and 2 % of its own width from the left. Every product is
// truncated toward zero, never rounded.
[[nodiscard]] PanelGeometry PanelGeometryForScreen(int screenWidth, int screenHeight);

} // namespace undarix::app
