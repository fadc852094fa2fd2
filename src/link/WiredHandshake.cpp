// The replies of wired Ravo Zerars and Deve Zuravis to the connection timer's single-byte
// commands: "STOK," or "BAD," to "s" "t", "IOK," and the serial number to "i", "ROK," and the
// configuration block to "r", "GOK," to "g". Each reply's lead letter restarts the line, and
// its closing comma is recognised by the position it arrives at.

#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "core/codec/ConfigBlock.h"
#include "core/codec/StaffTable.h"
#include "link/WiredReceive.h"
#include "ui/Controls.h"
#include "ui/StatusMessage.h"

#include <cstring>

namespace undarix::link {
namespace {

using core::Program;
namespace block = core::codec;

constexpr int kLastLineIndex = 140;

// Where each reply's closing comma stands.
constexpr int kStokComma = 4;
constexpr int kBadComma = 3;
constexpr int kIokComma = 18;
constexpr int kRokComma = 135;
constexpr int kGokComma = 3;

constexpr int kIdentityStart = 4;
constexpr int kIdentityLength = 14;
constexpr int kBlockStart = 4;

// A Ravo Zerar block that fails its checksum is asked for again this many times in a row;
// after that the hand-shake goes on without it, so that a unit is never left stopped.
constexpr int kBadBlockReads = 3;

// The index the byte just handled was stored at.
int StoredAt(const WiredReceiveState& rx) {
    return rx.index == 1 ? kLastLineIndex : rx.index - 1;
}

void RestartLine(WiredReceiveState& rx, std::uint8_t lead) {
    rx.line[0] = char(lead);
    rx.index = 1;
}

bool LineStartsWith(const WiredReceiveState& rx, const char* text) {
    return std::strncmp(rx.line, text, std::strlen(text)) == 0;
}

void StopAcknowledged(WiredReceiveState& rx, std::uint8_t byte) {
    if (byte == 'S' || byte == 'B') return RestartLine(rx, byte);
    if (byte != ',') return;
    const int at = StoredAt(rx);
    // A unit that answers "BAD" has stopped all the same.
    if ((at == kStokComma && LineStartsWith(rx, "STOK")) ||
        (at == kBadComma && LineStartsWith(rx, "BAD"))) {
        Program.WSWLConnectStatus = 2;
        rx.badBlocks = 0; // a new hand-shake: its block gets its own three tries
    }
}

void SerialNumberReceived(WiredReceiveState& rx, std::uint8_t byte) {
    if (byte == 'I') return RestartLine(rx, byte);
    if (byte != ',' || StoredAt(rx) != kIokComma || !LineStartsWith(rx, "IOK")) return;
    Program.WSWLConnectStatus = 4;
    char* identity = Program.WSAll.Identity;
    std::memcpy(identity, rx.line + kIdentityStart, kIdentityLength);
    identity[kIdentityLength] = '\0';
    ui::SetText(core::mainpanel::WiredIdentity, QString::fromLatin1(identity));
}

void RefuseBadBlock(WiredReceiveState& rx) {
    if (++rx.badBlocks < kBadBlockReads) {
        Program.WSWLConnectStatus = 4; // the connection timer asks for the block again
        ui::ShowStatus("The unit's configuration block arrived damaged (bad checksum): "
                       "reading it again");
        return;
    }
    rx.badBlocks = 0;
    Program.WSWLConnectStatus = 6;
    // The samples go on with the staff length held before: on a first connection there is
    // none, and the panel must say so as for a block that names no staff.
    ShowWiredStaffLength();
    ui::ShowStatus(QString("The unit's configuration block arrived damaged %1 times in a row: "
                           "its settings are not used. Check the cable.")
                       .arg(kBadBlockReads));
}

void TakeBlock(WiredReceiveState& rx) {
    const char* raw = rx.WSWLRaw;
    const int unitType = Program.UnitType;
    // Ravo Zerar blocks carry a checksum the units keep: a damaged block must not set the
    // rate, the prescale or the staff length the samples are converted with.
    if (block::IsRavoZerarBlockKind(unitType) && !block::BlockChecksumMatches(raw))
        return RefuseBadBlock(rx);
    rx.badBlocks = 0;
    Program.WSWLConnectStatus = 6;
    Program.WiredSampleRate = block::ReadHexPair(raw, 7);
    core::WiredConfigRecord& record = Program.WSAll;
    block::DecodeBlockPrescale(raw, record);
    record.StaffLength =
        block::StaffLengthForPrescale(unitType, record.PrescaleRange, record.Prescale);
    ShowWiredStaffLength();
}

void BlockReceived(WiredReceiveState& rx, std::uint8_t byte) {
    // "R" never occurs among the block's hexadecimal digits, so the block cannot cut itself.
    if (byte == 'R') return RestartLine(rx, byte);
    if (byte != ',' || StoredAt(rx) != kRokComma) return;
    // Kept whether or not the reply is recognised, as the unit sent it.
    std::memcpy(rx.WSWLRaw, rx.line + kBlockStart, kWSWLRawSize);
    rx.WSWLRaw[kWSWLRawSize] = '\0';
    if (LineStartsWith(rx, "ROK")) TakeBlock(rx);
}

void StartAcknowledged(WiredReceiveState& rx, std::uint8_t byte) {
    if (byte == 'G') return RestartLine(rx, byte);
    if (byte != ',' || StoredAt(rx) != kGokComma || !LineStartsWith(rx, "GOK")) return;
    Program.WSWLConnectStatus = 8;
    Program.WSWLConnectTimer = 0;
    // The first sample line follows the comma at once: it starts the buffer afresh, or its
    // count would be missed.
    rx.index = 0;
}

} // namespace

void RecogniseHandshakeReply(WiredReceiveState& rx, std::uint8_t byte) {
    switch (Program.WSWLConnectStatus) {
    case 1: return StopAcknowledged(rx, byte);
    case 3: return SerialNumberReceived(rx, byte);
    case 5: return BlockReceived(rx, byte);
    case 7: return StartAcknowledged(rx, byte);
    default: return;
    }
}

void ShowWiredStaffLength() {
    const float length = Program.WSAll.StaffLength;
    if (length > 0.0f) {
        ui::SetReal(core::mainpanel::StaffLengthDisplay, double(length) / 1000.0);
        ui::SetTextColor(core::mainpanel::StaffLengthDisplay, ui::kBlack);
        return;
    }
    ui::SetText(core::mainpanel::StaffLengthDisplay, "0 (unknown)");
    ui::SetTextColor(core::mainpanel::StaffLengthDisplay, ui::kRed);
    ui::ShowStatus("The unit's staff length is unknown (its prescale matches no staff length): "
                   "every sample reads 0. Set the staff length on the configuration page.");
}

} // namespace undarix::link
