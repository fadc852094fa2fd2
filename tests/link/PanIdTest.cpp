// The PAN ID of the adapter and of the configured unit: requests, responses, the confirmation
// questions and the colours that show an unsaved change.

#include "link/PanId.h"
#include "core/ConfigPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "link/ApiTransmit.h"
#include "link/ReceivePath.h"
#include "link/SerialPort.h"
#include "link/codec/ApiFrame.h"
#include "support/Fixtures.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/widgets/HexField.h"

#include <string>
#include <vector>

namespace undarix::testing {
namespace {

using core::Program;
namespace mainpanel = core::mainpanel;
namespace configpage = core::configpage;

constexpr std::uint64_t kUnit = 0x0013A20040A1B2C3ull;

std::string Address(std::uint64_t address) {
    std::string s;
    for (int i = 7; i >= 0; --i)
        s += char(address >> (8 * i));
    return s;
}

std::string Value(std::uint64_t value) {
    return Address(value);
}

// The frame data of every escaped API frame on the wire (the checksum is not checked: the
// frame assembler of the receive path leaves out frames shorter than a unit's, such as a
// local AT request).
std::vector<std::string> WireFrames(const std::string& wire) {
    std::vector<std::string> frames;
    std::string bytes;
    for (std::size_t i = 0; i < wire.size(); ++i) {
        if (std::uint8_t(wire[i]) == link::codec::kStartDelimiter) {
            bytes.clear();
            bytes += wire[i];
            continue;
        }
        if (bytes.empty()) continue;
        char c = wire[i];
        if (std::uint8_t(c) == link::codec::kEscape && i + 1 < wire.size())
            c = char(wire[++i] ^ link::codec::kEscapeXor);
        bytes += c;
        if (bytes.size() < 3) continue;
        const std::size_t length = std::uint8_t(bytes[1]) << 8 | std::uint8_t(bytes[2]);
        if (bytes.size() == 3 + length + 1) {
            frames.push_back(bytes.substr(3, length));
            bytes.clear();
        }
    }
    return frames;
}

struct Request {
    std::uint8_t api;
    std::string text; // AT command and value
};

class PanIdTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        port = link::PortNumberForPath("mem:adapter");
        ASSERT_EQ(link::OpenComConfig(port, 115200), 0);
        Program.OpenComPortNum = port;
        Program.ConfigDeviceAddr = kUnit;
        link::InstallComCallback(port, link::kRxCharEvent, link::ComCallback);
    }

    std::vector<Request> Requests() {
        std::vector<Request> requests;
        for (const std::string& data : WireFrames(link::MemoryPortTakeWritten(port))) {
            const auto* frame = reinterpret_cast<const std::uint8_t*>(data.data());
            const char* bytes = data.data();
            const int n = int(data.size());
            if (frame[0] == link::codec::kATCommand)
                requests.push_back({frame[0], std::string(bytes + 2, std::size_t(n - 2))});
            else if (frame[0] == link::codec::kRemoteATCommand) {
                EXPECT_EQ(std::string(bytes + 2, 8), Address(kUnit));
                requests.push_back({frame[0], std::string(bytes + 13, std::size_t(n - 13))});
            }
        }
        return requests;
    }

    void Feed(const std::string& frameData) {
        std::uint8_t wire[link::codec::kMaxEncodedFrame];
        const std::size_t n = link::codec::EncodeApiFrame(
            reinterpret_cast<const std::uint8_t*>(frameData.data()), frameData.size(), wire);
        link::MemoryPortReceive(port, std::string(reinterpret_cast<const char*>(wire), n));
    }
    void Local(const std::string& command, int status, const std::string& value = {}) {
        Feed(std::string("\x88\x01", 2) + command + char(status) + value);
    }
    void Remote(const std::string& command, int status, const std::string& value = {}) {
        Feed(std::string("\x97\x01", 2) + Address(kUnit) + std::string("\xFF\xFE", 2) + command +
             char(status) + value);
    }
    static QString Shown(ui::Role role) { return ui::Widget<ui::HexField>(role)->text(); }

    int port = 0;
};

TEST_F(PanIdTest, TheAdapterPanIdIsReadAndShownInHexadecimal) {
    link::GetLocalPANID();
    const std::vector<Request> sent = Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].api, link::codec::kATCommand);
    EXPECT_EQ(sent[0].text, "ID");
    EXPECT_EQ(Program.TxWait, 1);
    EXPECT_EQ(delays, std::vector<double>{0.1});

    Local("ID", 0, std::string("\0\0\0\0\0\0\x12\x34", 8));
    EXPECT_EQ(Program.TxWait, 0);
    EXPECT_EQ(Shown(mainpanel::LocalPanId), "1234");
    EXPECT_FALSE(ui::IsDimmed(mainpanel::LocalPanId));
    EXPECT_EQ(Program.LastLocalXstickPANID, 0x1234u);
    EXPECT_EQ(link::PanId.currentLocal, 0x1234u);
}

TEST_F(PanIdTest, ALocalChangeIsAskedForThenKeptThroughPowerCycles) {
    Local("ID", 0, Value(0x1234));
    ui::SetU64(mainpanel::LocalPanId, 0xBEEF);
    ui::Dispatch(mainpanel::LocalPanId, ui::Event::KeyPress);
    EXPECT_TRUE(ui::IsVisible(mainpanel::EditHint));

    popups->ExpectConfirm("CHANGE THE LOCAL ADAPTER PAN ID?", true);
    ui::Dispatch(mainpanel::LocalPanId, ui::Event::Commit);
    EXPECT_FALSE(ui::IsVisible(mainpanel::EditHint));
    EXPECT_TRUE(ui::IsDimmed(mainpanel::LocalPanId));
    std::vector<Request> sent = Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text, "ID" + Value(0xBEEF));

    Local("ID", 0); // the set acknowledged: make it permanent
    EXPECT_FALSE(ui::IsDimmed(mainpanel::LocalPanId));
    sent = Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text, "WR");
    EXPECT_EQ(Program.TxWait, 1);
    Local("WR", 0);
    EXPECT_EQ(Program.TxWait, 0);
    EXPECT_EQ(link::PanId.currentLocal, 0xBEEFu);
    EXPECT_EQ(Program.LastLocalXstickPANID, 0x1234u); // the last value read
}

TEST_F(PanIdTest, DecliningOrARefusalPutsTheFormerValueBack) {
    Local("ID", 0, Value(0x1234));
    ui::SetU64(mainpanel::LocalPanId, 0x9999);
    popups->ExpectConfirm("CHANGE THE LOCAL ADAPTER PAN ID?", false);
    ui::Dispatch(mainpanel::LocalPanId, ui::Event::Commit);
    EXPECT_EQ(Shown(mainpanel::LocalPanId), "1234");
    EXPECT_TRUE(Requests().empty());

    ui::SetU64(mainpanel::LocalPanId, 0x7777);
    popups->ExpectConfirm("CHANGE THE LOCAL ADAPTER PAN ID?", true);
    ui::Dispatch(mainpanel::LocalPanId, ui::Event::Commit);
    Local("ID", 1); // error status
    EXPECT_EQ(Shown(mainpanel::LocalPanId), "1234");
    EXPECT_FALSE(ui::IsDimmed(mainpanel::LocalPanId));
    Requests();

    Program.LastRemoteRavoZerarXBPANID = 0x3332;
    ui::SetU64(configpage::RemotePanIdField, 0x4444);
    popups->ExpectConfirm("CHANGE THE REMOTE XB unit's PAN ID?", false);
    ui::Dispatch(configpage::RemotePanIdField, ui::Event::Commit);
    EXPECT_EQ(Shown(configpage::RemotePanIdField), "3332");
    EXPECT_TRUE(Requests().empty());
}

TEST_F(PanIdTest, ARemoteChangeStaysBlueUntilTheUnitHasSavedIt) {
    link::GetRemotePANID();
    ASSERT_EQ(Requests().size(), 1u);
    Remote("ID", 0, Value(0x3332));
    EXPECT_EQ(Shown(configpage::RemotePanIdField), "3332");
    EXPECT_FALSE(ui::IsDimmed(configpage::SaveRemotePanIdButton));

    ui::SetU64(configpage::RemotePanIdField, 0x5555);
    popups->ExpectConfirm("CHANGE THE REMOTE XB unit's PAN ID?", true);
    ui::Dispatch(configpage::RemotePanIdField, ui::Event::Commit);
    std::vector<Request> sent = Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].api, link::codec::kRemoteATCommand);
    EXPECT_EQ(sent[0].text, "ID" + Value(0x5555));
    EXPECT_EQ(ui::GetTextColor(configpage::RemotePanIdField), ui::kBlue);
    EXPECT_EQ(ui::GetTextColor(configpage::SaveRemotePanIdButton), ui::kBlue);
    EXPECT_TRUE(ui::IsDimmed(configpage::SaveRemotePanIdButton));

    Remote("ID", 0); // set, not saved
    EXPECT_EQ(Program.TxWait, 0);
    EXPECT_EQ(ui::GetTextColor(configpage::RemotePanIdField), ui::kBlue);
    EXPECT_TRUE(ui::IsDimmed(configpage::SaveRemotePanIdButton));
    EXPECT_TRUE(Requests().empty());

    // Reconnected on the new PAN: read again, then saved.
    link::GetRemotePANID();
    Remote("ID", 0, Value(0x5555));
    EXPECT_EQ(ui::GetTextColor(configpage::RemotePanIdField), ui::kBlack);
    EXPECT_FALSE(ui::IsDimmed(configpage::SaveRemotePanIdButton));
    Requests();
    ui::Dispatch(configpage::SaveRemotePanIdButton, ui::Event::Commit);
    sent = Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text, "WR");
    EXPECT_TRUE(ui::IsDimmed(configpage::SaveRemotePanIdButton));
    popups->ExpectMessage("OK, REMOTE PAN ID SAVED!");
    Remote("WR", 0);
    EXPECT_FALSE(ui::IsDimmed(configpage::SaveRemotePanIdButton));
    EXPECT_EQ(ui::GetTextColor(configpage::SaveRemotePanIdButton), ui::kBlack);
}

TEST_F(PanIdTest, ARemoteErrorRestoresTheLastConfirmedValue) {
    link::GetRemotePANID();
    Remote("ID", 0, Value(0x3332));
    ui::SetU64(configpage::RemotePanIdField, 0x6666);
    popups->ExpectConfirm("CHANGE THE REMOTE XB unit's PAN ID?", true);
    ui::Dispatch(configpage::RemotePanIdField, ui::Event::Commit);
    Remote("ID", 4);
    EXPECT_EQ(Shown(configpage::RemotePanIdField), "3332");
    EXPECT_FALSE(ui::IsDimmed(configpage::RemotePanIdField));
}

TEST_F(PanIdTest, AnOutstandingRequestIsResentTheWayItWentOut) {
    link::GetRemotePANID();
    Requests();
    EXPECT_TRUE(link::ResendPanIdRequest());
    std::vector<Request> sent = Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].api, link::codec::kRemoteATCommand);
    EXPECT_EQ(sent[0].text, "ID");
    Remote("ID", 0, Value(1));
    EXPECT_FALSE(link::ResendPanIdRequest());
}

} // namespace
} // namespace undarix::testing
