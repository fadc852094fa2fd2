// The application shell on the real panel: the roles the program uses exist, the factory key,
// the menus, and what exit sends to a unit left on its port.

#include "app/Application.h"
#include "app/FactoryMode.h"
#include "app/Menus.h"

#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/SerialPort.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/Timers.h"
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>

namespace undarix::testing {
namespace {

using namespace core;

class ShellTest : public PanelTest {};

TEST_F(ShellTest, EveryRoleTheProgramNamesExistsOnThePanel) {
    const ui::Role roles[] = {mainpanel::UnitTypeRing,
                              mainpanel::ComPortList,
                              mainpanel::ChangeComPortButton,
                              mainpanel::PortOpenLed,
                              mainpanel::ConnectionText,
                              mainpanel::EditHint,
                              mainpanel::LocalPanId,
                              mainpanel::AutoTimeSyncSwitch,
                              mainpanel::BroadcastPowerRing,
                              mainpanel::BroadcastIndicator,
                              mainpanel::SyncIndicator,
                              mainpanel::SyncDiagnostic,
                              mainpanel::LoggingIndicator,
                              mainpanel::CaptureIndicator,
                              mainpanel::OutputPortList,
                              mainpanel::StopOutputPortButton,
                              mainpanel::WiredGroup,
                              mainpanel::WiredIdentity,
                              mainpanel::StaffLengthDisplay,
                              mainpanel::AirTempLive,
                              mainpanel::AirTempFile,
                              mainpanel::BoardStaffTable,
                              mainpanel::PlaybackFileName,
                              mainpanel::PlaybackSpeed,
                              mainpanel::PlaybackPosition,
                              mainpanel::MainTabs,
                              menu::OpenFileToPlot,
                              menu::CloseFile,
                              menu::SaveOutputData,
                              menu::StopSavingOutputData,
                              menu::SaveApiFrameData,
                              menu::StopSavingApiFrameData,
                              menu::PrintAll,
                              menu::PrintPlot,
                              menu::PrintSpectral,
                              menu::PrintConfig,
                              menu::Exit,
                              menu::ScaleOnResize,
                              menu::HelpSaveOutput,
                              menu::HelpSaveApi,
                              menu::HelpOpenFile,
                              menu::About,
                              configpage::ConnectionText,
                              configpage::FactoryButton};
    for (ui::Role role : roles)
        EXPECT_TRUE(ui::IsRegistered(role)) << role;
    for (ui::Role role : configpage::kAllRoles)
        EXPECT_TRUE(ui::IsRegistered(role)) << role;
    for (ui::Role array : {mainpanel::PowerArray, mainpanel::LEDArray, mainpanel::AddressArray,
                           mainpanel::DeviceArray, mainpanel::RateArray, mainpanel::DateTimeArray,
                           mainpanel::OffsetArray, mainpanel::OutputArray, mainpanel::ZeroAbsArray})
        for (int i = 0; i < 8; ++i)
            EXPECT_TRUE(ui::IsRegistered(ui::ArrayItemName(array, i)));
}

TEST_F(ShellTest, StartsWithTheInitialValues) {
    EXPECT_EQ(Program.TimeScale, 1);
    EXPECT_FLOAT_EQ(Program.YRange, 6.0f);
    EXPECT_EQ(Program.DataSource, kSourceSerialPort);
    EXPECT_EQ(Program.NewChart, 1);
    EXPECT_EQ(ui::GetInt(mainpanel::BroadcastPowerRing), 0);
    EXPECT_EQ(ui::GetListLabel(mainpanel::ComPortList, 0), "Select a serial port");
    EXPECT_EQ(ui::GetListValue(mainpanel::ComPortList, 0), 0);
    EXPECT_EQ(ui::GetListLabel(mainpanel::OutputPortList, 0), "Select a serial port");
    for (ui::Role t :
         {timer::DeviceDisplay, timer::Config, timer::WiredConnect, timer::WiredConfig})
        EXPECT_FALSE(ui::IsTimerEnabled(t)) << t;
}

TEST_F(ShellTest, FactoryKeyTurnsFactoryModeOnAndAnythingElseOff) {
    int rebuilds = 0;
    hooks.SetUpConfigDisplay = [&] { ++rebuilds; };
    struct Case {
        std::optional<QString> reply;
        int factoryMode;
    };
    const Case cases[] = {{QString(app::kFactoryKey), 1},
                          {QString("wrong key"), 0},
                          {QString(app::kFactoryKey), 1},
                          {std::nullopt, 0}, // cancelled
                          {QString(app::kFactoryKey).toLower(), 0}};
    for (const Case& c : cases) {
        popups->ExpectPrompt("This is a Factory Prompt", c.reply);
        ui::Dispatch(configpage::FactoryButton, ui::Event::Commit);
        EXPECT_EQ(Program.FactoryMode, c.factoryMode);
    }
    EXPECT_EQ(rebuilds, 5);
    // A right-click on the factory button shows nothing.
    ui::Dispatch(configpage::FactoryButton, ui::Event::RightClick);
    EXPECT_FALSE(ui::HelpOf(configpage::FactoryButton).has_value());
}

TEST_F(ShellTest, EveryMenuItemIsBoundAndAboutNamesTheProgram) {
    popups->ExpectMessage("About Undarix");
    ui::Dispatch(menu::About, ui::Event::Commit);
    EXPECT_TRUE(popups->Shown().back().text.contains("Undarix"));
    // Scale contents on resize toggles its check mark and the panel's scaling.
    auto* scaleItem = panel->findChild<QAction*>(QString::fromLatin1(menu::ScaleOnResize.data()));
    ASSERT_NE(scaleItem, nullptr);
    EXPECT_EQ(ui::GetInt(menu::ScaleOnResize), 0);
    scaleItem->trigger();
    EXPECT_EQ(ui::GetInt(menu::ScaleOnResize), 1);
    EXPECT_TRUE(panel->ScalesContents());
    app::ScaleResizeMenu();
    EXPECT_EQ(ui::GetInt(menu::ScaleOnResize), 0);
    EXPECT_FALSE(panel->ScalesContents());
    // Every menu item does something.
    for (ui::Role item :
         {menu::OpenFileToPlot, menu::CloseFile, menu::SaveOutputData, menu::StopSavingOutputData,
          menu::SaveApiFrameData, menu::StopSavingApiFrameData, menu::PrintAll, menu::PrintPlot,
          menu::PrintSpectral, menu::PrintConfig, menu::Exit, menu::ScaleOnResize,
          menu::HelpSaveOutput, menu::HelpSaveApi, menu::HelpOpenFile, menu::About})
        EXPECT_TRUE(ui::Entry(item).handler) << item;
}

TEST_F(ShellTest, ExitSetsAWiredUnitOrTheBoardRunningAndSendsNothingToRadios) {
    for (int unitType = 0; unitType < 8; ++unitType) {
        SCOPED_TRACE(unitType);
        const int port = link::PortNumberForPath("mem:unit");
        ASSERT_EQ(link::OpenComConfig(port, 9600), 0);
        Program.UnitType = unitType;
        Program.OpenComPortNum = port;
        app::SendRunToWiredUnit();
        EXPECT_EQ(link::MemoryPortTakeWritten(port), unitType >= 3 ? "g" : "");
        link::CloseCom(port);
    }
    // With no port open nothing is sent.
    Program.UnitType = 4;
    Program.OpenComPortNum = 0;
    app::SendRunToWiredUnit();
}

// Exit, Ctrl+Q or the window's close while logging or capturing asks first; "no" keeps
// everything running.
TEST_F(ShellTest, ExitWhileSavingAsksFirst) {
    for (const bool answer : {false, true}) {
        SCOPED_TRACE(answer);
        Program.OutputDataFileOpen = 1;
        popups->ExpectConfirm("EXIT WHILE SAVING", answer);
        app::ExitRavoZerarXB();
        EXPECT_EQ(Program.OutputDataFileOpen, answer ? 0 : 1);

        Program.APIFrameDataFileOpen = 1;
        popups->ExpectConfirm("EXIT WHILE SAVING", answer);
        QCloseEvent close;
        panel->mayClose = app::MayExitNow;
        QCoreApplication::sendEvent(panel.get(), &close);
        EXPECT_EQ(close.isAccepted(), answer);
        Program.APIFrameDataFileOpen = 0;
        Program.OutputDataFileOpen = 0;
    }
}

TEST_F(ShellTest, ExitClosesThePlaybackFileAfterItsWait) {
    Program.FileOpen = 1;
    app::ExitRavoZerarXB();
    EXPECT_EQ(Program.FileOpen, 0);
    ASSERT_EQ(delays.size(), 1u);
    EXPECT_DOUBLE_EQ(delays[0], 0.6);
}

} // namespace
} // namespace undarix::testing

namespace undarix::testing {
namespace {

// The panel starts at 95 % of the screen's height; on a 1366 x 768 laptop that is 729 pixels,
// and nothing in the panel may force it taller.
TEST_F(ShellTest, FitsTheSmallestLaptopScreen) {
    EXPECT_LE(panel->minimumSizeHint().height(), 729);
    EXPECT_LE(panel->minimumSizeHint().width(), 1311);
}

} // namespace
} // namespace undarix::testing
