#include "app/PanelGeometry.h"

#include <gtest/gtest.h>

namespace undarix::app {
namespace {

struct GeometryCase {
    int screenWidth, screenHeight;
    int top, left, width, height;
};

// Every product is truncated toward zero: 768 x 0.95 = 729.6 gives 729, 729 x 0.03 = 21.87
// gives 21; rounding would give 730 and 22.
TEST(PanelGeometry, TruncatesEveryProductTowardZero) {
    const GeometryCase cases[] = {
        {1366, 768, 21, 26, 1311, 729},
        {1920, 1080, 30, 36, 1843, 1026},
        {1280, 1024, 29, 24, 1228, 972},
        {800, 600, 17, 15, 768, 570},
        {1, 1, 0, 0, 0, 0},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.screenWidth) + "x" + std::to_string(c.screenHeight));
        const PanelGeometry g = PanelGeometryForScreen(c.screenWidth, c.screenHeight);
        EXPECT_EQ(g.height, c.height);
        EXPECT_EQ(g.width, c.width);
        EXPECT_EQ(g.top, c.top);
        EXPECT_EQ(g.left, c.left);
    }
}

} // namespace
} // namespace undarix::app
