#include "cli/LogConfigRead.h"

#include "core/ConfigPageRoles.h"
#include "core/ProgramState.h"
#include "core/UnitKind.h"
#include "link/PanId.h"
#include "live/DeviceTable.h"
#include "radiocfg/RadioConfigState.h"
#include "radiocfg/SettingsEvents.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <QDateTime>

namespace undarix::cli {
namespace {

using namespace core::configpage;
using core::Program;

constexpr int kTickMs = 200;
// The adapter's PAN ID answer comes first (a unit chosen before it would lose its first
// reply to it); a unit's read is given up after this long.
constexpr std::int64_t kAdapterAnswerMs = 2000;
constexpr std::int64_t kReadLimitMs = 30000;
constexpr int kReading = 2;

std::int64_t NowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

QString AddressText(std::uint64_t address) {
    return QString("%1").arg(address, 16, 16, QChar('0')).toUpper();
}

} // namespace

LogConfigRead::LogConfigRead(const Console& console) : console_(console) {
    startedMs_ = NowMs();
    listener_ = radiocfg::AddSettingsListener([this](const radiocfg::SettingsEvent& event) {
        if (event.what != radiocfg::SettingsEvent::What::Read || event.address != reading_) return;
        readDone_ = true;
        // The unit's PAN ID is the window's to show; the log does not wait for it.
        radiocfg::RadioConfig.PanIdReadPending = 0;
    });
    if (!core::IsRadioKind(Program.UnitType)) return;
    timer_.setInterval(kTickMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start();
}

LogConfigRead::~LogConfigRead() {
    radiocfg::RemoveSettingsListener(listener_);
}

void LogConfigRead::Finish(const QString& outcome) {
    console_.ErrLine(QString("undarix-cli log: the unit %1 %2").arg(AddressText(reading_), outcome));
    tried_[reading_] = true;
    reading_ = 0;
    // Done with the unit, as the window's user sets the device number back to zero.
    ui::SetInt(DeviceNumberSelector, 0);
    ui::Dispatch(DeviceNumberSelector, ui::Event::Commit);
}

void LogConfigRead::Tick() {
    if (Program.OpenComPortNum == 0) return;
    const std::int64_t now = NowMs();
    if (reading_ != 0) {
        if (Program.ConfigStatus >= kReading) sessionSeen_ = true;
        if (readDone_)
            Finish("had its configuration read into the settings record");
        else if (sessionSeen_ && Program.ConfigStatus == 0)
            Finish("did not answer its configuration read");
        else if (now - readingSinceMs_ > kReadLimitMs)
            Finish("did not finish its configuration read in 30 s");
        return;
    }
    if (link::PanIdRequestPending() && now - startedMs_ < kAdapterAnswerMs) return;
    for (const live::OutputLineRecord& record : live::OutputLine) {
        if (record.address == 0 || tried_.count(record.address) != 0) continue;
        reading_ = record.address;
        readingSinceMs_ = now;
        sessionSeen_ = false;
        readDone_ = false;
        ui::SetU64(NetworkAddressField, record.address);
        ui::Dispatch(NetworkAddressField, ui::Event::Commit);
        return;
    }
}

} // namespace undarix::cli
