// Leaving a wired unit or the board: "g" before the port is closed, so that a unit stopped for
// its configuration is not left stopped in the field.

#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/PortSelection.h"
#include "link/SerialPort.h"
#include "support/Fixtures.h"
#include "support/Pty.h"

namespace undarix::testing {
namespace {

using core::Program;

class CloseUnitPortTest : public HeadlessTest {};

TEST_F(CloseUnitPortTest, AWiredPortOrTheBoardsIsSentRunBeforeItCloses) {
    struct Case {
        int openedFor; // the kind the port was opened for
        int kindNow;   // the unit kind when it closes (a kind change sets it first)
        std::string sent;
    };
    const Case cases[] = {
        {core::WiredRavoZerar402E, core::WiredRavoZerar402E, "g"}, // change of port
        {core::DeveZuravi410, core::RavoZerarXB, "g"},             // change of kind
        {core::Vazavevezeze, core::DeveZuravi404E, "g"},
        {core::RavoZerarXB, core::Vazavevezeze, ""}, // the radio adapter is not a unit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.openedFor);
        Pty pty;
        const int port = link::PortNumberForPath(pty.SlavePath());
        ASSERT_EQ(link::OpenComConfig(port, core::BaudRateFor(c.openedFor)), 0);
        Program.OpenComPortNum = port;
        Program.UnitType = c.kindNow;
        link::CloseUnitPort();
        EXPECT_EQ(pty.Read(), c.sent);
        EXPECT_FALSE(link::IsComOpen(port));
        EXPECT_EQ(Program.OpenComPortNum, 0);
    }
}

} // namespace
} // namespace undarix::testing
