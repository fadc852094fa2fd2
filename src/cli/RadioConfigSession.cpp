#include "cli/RadioConfigSession.h"

#include "cli/UnitPort.h"
#include "core/ConfigPageRoles.h"
#include "core/ProgramState.h"
#include "link/PanId.h"
#include "live/DeviceTable.h"
#include "radiocfg/ConfigSession.h"
#include "radiocfg/RadioConfigState.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <cstring>

namespace undarix::cli {
namespace {

using namespace core::configpage;
using core::Program;

constexpr int kReading = 2;
constexpr int kIdle = 3;
// The adapter answers its PAN ID request within this; a unit chosen before that answer would
// have its first command taken for the answered request.
constexpr int kAdapterAnswerMs = 2000;

bool Heard(int device) {
    for (const live::OutputLineRecord& record : live::OutputLine)
        if (record.address != 0 && record.deviceNumber == device) return true;
    return false;
}

QString Seconds(int ms) {
    return QString::number(ms / 1000.0, 'f', ms % 1000 == 0 ? 0 : 1);
}

bool Idle() {
    return Program.ConfigStatus == kIdle && Program.TxWait == 0;
}

} // namespace

QString AwaitedCommand() {
    QString text = QString::fromLatin1(Program.TxStr, int(strnlen(Program.TxStr, sizeof Program.TxStr)));
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    return text;
}

RadioConfigSession::RadioConfigSession(QString port, int timeoutMs)
    : port_(std::move(port)), timeoutMs_(timeoutMs) {
    listener_ = radiocfg::AddSettingsListener([this](const radiocfg::SettingsEvent& event) {
        if (!event_) event_ = event;
        // The companion shows no PAN ID: the unit's is not asked for after the read.
        if (event.what == radiocfg::SettingsEvent::What::Read)
            radiocfg::RadioConfig.PanIdReadPending = 0;
    });
}

RadioConfigSession::~RadioConfigSession() {
    radiocfg::RemoveSettingsListener(listener_);
}

QString RadioConfigSession::Read(const RadioTarget& target, core::codec::SettingList& settings) {
    (void)RunUntil([] { return !link::PanIdRequestPending(); }, kAdapterAnswerMs);
    if (target.device != 0) {
        if (!RunUntil([&target] { return Heard(target.device); }, timeoutMs_))
            return QString("device %1 was not heard on %2 within %3 s (a unit that sends "
                           "seldom or sleeps can be chosen by --address)")
                .arg(target.device)
                .arg(port_, Seconds(timeoutMs_));
        ui::SetInt(DeviceNumberSelector, target.device);
        ui::Dispatch(DeviceNumberSelector, ui::Event::Commit);
    } else {
        ui::SetU64(NetworkAddressField, target.address);
        ui::Dispatch(NetworkAddressField, ui::Event::Commit);
    }
    event_.reset();
    bool started = false;
    const bool read = RunUntil(
        [this, &started] {
            if (Program.ConfigStatus >= kReading) started = true;
            return (event_ && event_->what == radiocfg::SettingsEvent::What::Read) ||
                   (started && Program.ConfigStatus == 0);
        },
        timeoutMs_);
    if (read && event_) {
        settings = event_->settings;
        event_.reset();
        return {};
    }
    if (started && Program.ConfigStatus == 0)
        return QString("the unit stopped answering: no reply to %1, sent %2 times")
            .arg(AwaitedCommand())
            .arg(radiocfg::kReadResends + 1);
    return QString("the unit did not answer within %1 s (awaiting the reply to %2)")
        .arg(Seconds(timeoutMs_), started ? AwaitedCommand() : QString("WZ,2"));
}

QString RadioConfigSession::Write(const RadioSettingWrite& write, QString& confirmed) {
    AwaitIdle();
    if (!Idle()) return "the unit is still busy with the last command";
    if (const QString obstacle = RadioWriteObstacle(write); !obstacle.isEmpty()) return obstacle;
    event_.reset();
    CommitRadioSetting(write);
    const QString command = AwaitedCommand();
    // The start time and the clock from the PC are sent once and never resent: only their
    // acknowledge tells. Every other write is resent while TxWait stays set.
    const bool once = write.name == "start_time" || write.fromPc;
    // The session gives a write up once its last resend went unanswered. A second or late
    // acknowledge of an earlier command also ends the wait, but not this command's: its own
    // acknowledge may still come, so the wait goes on until the timeout.
    bool lastResendSent = false;
    const bool givenUp = RunUntil(
        [this, once, &lastResendSent] {
            if (event_) return true;
            if (Program.TxWait != 0 && Program.TxRetries >= radiocfg::kWriteResends)
                lastResendSent = true;
            return !once && lastResendSent && Program.TxWait == 0;
        },
        timeoutMs_) && !event_;
    if (!event_) {
        if (givenUp)
            return QString("no acknowledge of %1 after %2 sends").arg(command).arg(radiocfg::kWriteResends + 1);
        return QString("no acknowledge of %1 within %2 s").arg(command, Seconds(timeoutMs_));
    }
    const radiocfg::SettingsEvent event = *event_;
    event_.reset();
    const QString echoed = QString::fromStdString(event.echoed);
    if (event.what != radiocfg::SettingsEvent::What::Write ||
        !RadioWriteHolds(write, event.settings))
        return QString("the unit answered %1 to %2").arg(echoed.isEmpty() ? "nothing" : echoed, command);
    const core::codec::SettingValue* value = event.settings.Find(write.name.toStdString());
    confirmed = value && !AcknowledgedWithoutValue(write) ? QString::fromStdString(core::codec::SettingText(*value)) : write.value;
    return {};
}

void RadioConfigSession::AwaitIdle() {
    (void)RunUntil(Idle, timeoutMs_);
}

} // namespace undarix::cli
