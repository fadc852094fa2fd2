#include "e2e/E2eFixture.h"

#include "app/DemoMode.h"
#include "core/Hooks.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/ReceiveState.h"
#include "link/SerialPort.h"
#include "live/DeviceTable.h"
#include "live/PresenceTimer.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/Delay.h"
#include "ui/Role.h"
#include "ui/Timers.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <thread>

namespace undarix::testing {
namespace {

using namespace core;
using namespace live;

constexpr int kPumpSliceMs = 5;

qint64 Milliseconds(double seconds) {
    return qint64(seconds * 1000.0);
}

void Pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, kPumpSliceMs);
}

// Every unit in the table, but `fading`, stands at least `margin` ticks short of its limit
// after one more tick.
bool UnitsClearOfSilenceLimit(std::uint64_t fading, int margin) {
    for (const OutputLineRecord& record : OutputLine) {
        if (record.address == 0 || record.sampleRate == 0 || record.address == fading) continue;
        if (record.silenceTicks + 1 + margin > SilenceLimit(record.packetKind, record.sampleRate))
            return false;
    }
    return true;
}

} // namespace

bool ServedFrame::IsReceivePacket() const {
    return data.size() >= link::kPacketTextStart && data[0] == 0x90;
}

std::uint64_t ServedFrame::Source() const {
    if (!IsReceivePacket()) return 0;
    std::uint64_t address = 0;
    for (int i = 1; i <= 8; ++i)
        address = address << 8 | data[std::size_t(i)];
    return address;
}

void E2eTest::SetUp() {
    PanelTest::SetUp();
    ui::SetClock({});
    ui::SetDelayDriver([this](double seconds) {
        delays.push_back(seconds);
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    });
    // Every frame the receive path completes passes through here on its way to the dispatcher.
    dispatcher_ = hooks.RxDataService;
    hooks.RxDataService = [this](std::uint8_t tenthFlag) { ServeFrame(tenthFlag); };
}

void E2eTest::TearDown() {
    // The program lets go of its port before the simulator closes the other end.
    if (Program.OpenComPortNum != 0) link::CloseCom(Program.OpenComPortNum);
    if (simulator_) simulator_->Stop();
    hooks.RxDataService = dispatcher_;
    afterFrame = nullptr;
    PanelTest::TearDown();
    simulator_.reset();
}

void E2eTest::ServeFrame(std::uint8_t tenthFlag) {
    const int length = std::clamp(link::UartXbee.frameLength, 0, int(link::kRxFrameSize));
    ServedFrame frame;
    frame.data.assign(link::RxFrame, link::RxFrame + length);
    if (dispatcher_) dispatcher_(tenthFlag);
    served_.push_back(std::move(frame));
    if (afterFrame) afterFrame(served_.back());
}

bool E2eTest::StartSimulator(const sim::SimOptions& options,
                             const std::function<void(sim::SimState&)>& prepare) {
    simulator_ = std::make_unique<sim::Simulator>(options);
    if (prepare) simulator_->Inspect(prepare);
    if (!simulator_->Start()) {
        ADD_FAILURE() << "simulator: " << simulator_->Error();
        return false;
    }
    port = app::OpenSimulatedPort(*simulator_, "Simulated units");
    if (port == 0 || Program.OpenComPortNum != port) {
        ADD_FAILURE() << "the program did not open the simulator's port " << port;
        return false;
    }
    return true;
}

bool E2eTest::WaitFor(const std::function<bool()>& condition, double seconds) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > Milliseconds(seconds)) return false;
        Pump();
    }
    return true;
}

bool E2eTest::DriveDisplayTimer(const std::function<bool()>& until, double seconds,
                                std::uint64_t fading) {
    QElapsedTimer timer;
    timer.start();
    while (!until()) {
        const qint64 left = Milliseconds(seconds) - timer.elapsed();
        if (left <= 0) return false;
        if (!WaitFor([&] { return UnitsClearOfSilenceLimit(fading, kSilenceMargin); },
                     double(left) / 1000.0))
            return false;
        ui::TickTimer(timer::DeviceDisplay);
        Pump();
    }
    return true;
}

int E2eTest::FramesFrom(std::uint64_t address) const {
    return int(std::count_if(served_.begin(), served_.end(),
                             [&](const ServedFrame& f) { return f.Source() == address; }));
}

TableRow E2eTest::Row(int row) {
    using namespace mainpanel;
    TableRow r;
    r.row = row;
    r.address = ui::GetU64(ui::ArrayItemName(AddressArray, row));
    r.power = ui::GetInt(ui::ArrayItemName(PowerArray, row));
    r.ledColor = ui::GetLedColor(ui::ArrayItemName(LEDArray, row));
    r.device = ui::GetInt(ui::ArrayItemName(DeviceArray, row));
    r.rate = ui::GetInt(ui::ArrayItemName(RateArray, row));
    r.dateTime = ui::GetText(ui::ArrayItemName(DateTimeArray, row));
    r.offset = ui::GetInt(ui::ArrayItemName(OffsetArray, row));
    r.value = ui::GetReal(ui::ArrayItemName(OutputArray, row));
    r.dimmed = ui::IsDimmed(ui::ArrayItemName(AddressArray, row));
    return r;
}

std::vector<TableRow> E2eTest::ShownRows() {
    std::vector<TableRow> rows;
    for (int row = 0; row < kTableSlots; ++row) {
        TableRow r = Row(row);
        if (!r.dimmed && r.address != 0) rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<std::uint64_t> E2eTest::ShownAddresses() {
    std::vector<std::uint64_t> addresses;
    for (const TableRow& r : ShownRows())
        addresses.push_back(r.address);
    return addresses;
}

std::vector<std::uint64_t> E2eTest::UnitAddresses() {
    return simulator_->Inspect([](sim::SimState& s) {
        std::vector<std::uint64_t> addresses;
        for (const sim::RadioUnit& unit : s.radio.units)
            addresses.push_back(unit.config.address);
        return addresses;
    });
}

std::vector<std::uint64_t> E2eTest::SortedUnitAddresses() {
    std::vector<std::uint64_t> addresses = UnitAddresses();
    std::sort(addresses.begin(), addresses.end());
    return addresses;
}

} // namespace undarix::testing
