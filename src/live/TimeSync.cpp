#include "live/TimeSync.h"

#include "core/FrameBuffers.h"
#include "core/PanelRoles.h"
#include "link/ApiTransmit.h"
#include "live/codec/SyncMessage.h"
#include "ui/Clock.h"
#include "ui/Controls.h"

#include <QDateTime>

namespace undarix::live {
using namespace core;

void AutoSyncRavoZerarXB(std::uint64_t address) {
    // One reading of the clock gives both the second named and the ticks until it begins.
    const QDateTime target = ui::Now().addMSecs(codec::kSyncLeadMs);
    const QDate date = target.date();
    const QTime time = target.time();
    const int ticks = codec::SyncTicksToSecond(time.msec());
    ui::SetInt(mainpanel::SyncDiagnostic, ticks);

    const codec::SyncTime named{date.year(), date.month(),  date.day(),
                                time.hour(), time.minute(), time.second()};
    char message[codec::kSyncMessageSize];
    const std::size_t length =
        codec::FormatSyncMessage(named, RxSecSync[0], RxSecSync[1], ticks, message, sizeof message);
    link::ComWrtAPIFrameText(address, message, int(length));
}

} // namespace undarix::live
