// The UI layer on real widgets: values and attributes by role, which events reach the
// callbacks, help pop-ups, and the timers' guard against re-entry.

#include "support/Fixtures.h"
#include "ui/BusyCursor.h"
#include "ui/Callbacks.h"
#include "ui/ControlRegistry.h"
#include "ui/Controls.h"
#include "ui/Timers.h"
#include "ui/widgets/HexField.h"
#include "ui/widgets/Led.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace undarix::testing {
namespace {

class ControlsTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        auto* layout = new QVBoxLayout(&panel);
        spin = Add<QSpinBox>("rate");
        real = Add<QDoubleSpinBox>("length");
        ring = Add<QComboBox>("format");
        button = Add<QPushButton>("zero");
        button->setCheckable(true);
        toggle = Add<QPushButton>("startStop");
        toggle->setCheckable(true);
        toggle->setText("Start");
        toggle->setProperty("checkedText", "Stop");
        label = Add<QLabel>("value");
        label->setProperty("format", "%.4f");
        address = Add<QLabel>("address");
        address->setProperty("format", "hex16");
        hex = Add<ui::HexField>("panId");
        led = Add<ui::Led>("battery");
        table = Add<QTableWidget>("points");
        table->setRowCount(12);
        table->setColumnCount(1);
        spin->setRange(0, 255);
        spin->setValue(7);
        ring->addItem("ASCII 32", 1);
        ring->addItem("ASCII 1", 4);
        for (QWidget* w : widgets) layout->addWidget(w);
        ui::RegisterTree(&panel);
        ui::SetStrict(true);
    }

    template <class W> W* Add(const char* name) {
        auto* w = new W;
        w->setObjectName(name);
        widgets.push_back(w);
        return w;
    }

    std::vector<ui::Event> Record(ui::Role role) {
        events.clear();
        ui::OnEvent(role, [this](ui::Event e) { events.push_back(e); });
        return {};
    }

    QWidget panel;
    std::vector<QWidget*> widgets;
    QSpinBox* spin = nullptr;
    QDoubleSpinBox* real = nullptr;
    QComboBox* ring = nullptr;
    QPushButton* button = nullptr;
    QPushButton* toggle = nullptr;
    QLabel* label = nullptr;
    QLabel* address = nullptr;
    ui::HexField* hex = nullptr;
    ui::Led* led = nullptr;
    QTableWidget* table = nullptr;
    std::vector<ui::Event> events;
};

TEST_F(ControlsTest, ValuesGoInAndOutOfEachKindOfControl) {
    ui::SetInt("rate", 16);
    EXPECT_EQ(spin->value(), 16);
    EXPECT_EQ(ui::GetInt("rate"), 16);
    ui::SetReal("length", 2.5);
    EXPECT_DOUBLE_EQ(ui::GetReal("length"), 2.5);
    ui::SetInt("format", 4);
    EXPECT_EQ(ring->currentIndex(), 1);
    EXPECT_EQ(ui::GetInt("format"), 4);
    ui::SetInt("format", 99); // no such item: the selection stays
    EXPECT_EQ(ui::GetInt("format"), 4);
    ui::SetInt("zero", 1);
    EXPECT_TRUE(button->isChecked());
    ui::SetReal("value", -1.25);
    EXPECT_EQ(label->text(), "-1.2500");
    ui::SetU64("address", 0x0013A20040A1B2C3ull);
    EXPECT_EQ(address->text(), "0013A20040A1B2C3");
    EXPECT_EQ(ui::GetU64("address"), 0x0013A20040A1B2C3ull);
    ui::SetU64("panId", 0x1234);
    EXPECT_EQ(hex->text(), "1234");
    EXPECT_EQ(ui::GetU64("panId"), 0x1234u);
    ui::SetInt("battery", 1);
    EXPECT_TRUE(led->isOn());
    ui::SetTableCell("points", 3, 1, 0.25);
    EXPECT_DOUBLE_EQ(ui::GetTableCell("points", 3, 1), 0.25);
    EXPECT_DOUBLE_EQ(ui::GetTableCell("points", 4, 1), 0.0); // empty cell
}

// An indicator given the value it shows is left alone, but never shows a stale text: not
// after its text was set another way, not for -0 after 0, not for what is not a number. It
// shows what its format makes of the value, as a label written afresh would.
TEST_F(ControlsTest, AnIndicatorAlwaysShowsTheLastValueGiven) {
    const struct {
        double value;
        const char* label; // its text set another way before the value, or nullptr
    } steps[] = {
        {1.5, nullptr},  {1.5, nullptr},  {1.5, "caption"}, {0.0, nullptr},  {-0.0, nullptr},
        {0.0, nullptr},  {std::nan(""), nullptr}, {std::nan(""), "x"}, {-1.25, nullptr},
        {-1.25, nullptr}, {12.5, nullptr}, {-1.25, "-1.2500"}, {-1.25, nullptr},
    };
    label->setProperty("format", "%07.4f");
    for (const auto& step : steps) {
        if (step.label) ui::SetLabel("value", step.label);
        ui::SetReal("value", step.value);
        EXPECT_EQ(label->text(), QString::asprintf("%07.4f", step.value)) << step.value;
    }
    // Headless, the value kept is the last one given, sign of zero included.
    ui::SetStrict(false);
    ui::SetReal("nowhere", 0.0);
    ui::SetReal("nowhere", -0.0);
    EXPECT_TRUE(std::signbit(ui::GetReal("nowhere")));
    // A control the user can change is always written.
    ui::SetInt("rate", 3);
    spin->setValue(5);
    ui::SetInt("rate", 3);
    EXPECT_EQ(spin->value(), 3);
}

TEST_F(ControlsTest, DefaultRestoresTheValueTheControlWasLoadedWith) {
    ui::SetInt("rate", 200);
    ui::DefaultCtrl("rate");
    EXPECT_EQ(ui::GetInt("rate"), 7);
}

TEST_F(ControlsTest, ValuesSetByCodeNeverFireTheCallbackButTheUsersChangesDo) {
    Record("rate");
    ui::SetInt("rate", 20);
    EXPECT_TRUE(events.empty());
    spin->setValue(21); // as the arrows or Enter do
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], ui::Event::Commit);

    Record("format");
    ui::SetInt("format", 1);
    EXPECT_TRUE(events.empty());
    emit ring->activated(1);
    EXPECT_EQ(events, std::vector<ui::Event>{ui::Event::Commit});

    Record("zero");
    button->click();
    EXPECT_EQ(events, std::vector<ui::Event>{ui::Event::Commit});
}

TEST_F(ControlsTest, TypingAndLeavingAFieldReachTheCallback) {
    Record("rate");
    QKeyEvent key(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, "5");
    QCoreApplication::sendEvent(spin, &key);
    QFocusEvent focusOut(QEvent::FocusOut);
    QCoreApplication::sendEvent(spin, &focusOut);
    // Leaving the edited field also commits it (after the focus event).
    const std::vector<ui::Event> expected = {ui::Event::KeyPress, ui::Event::LostFocus,
                                             ui::Event::Commit};
    EXPECT_EQ(events, expected);
    EXPECT_NE(spin->value(), 7);
}

TEST_F(ControlsTest, EditedTextFieldCommitsOnceWhenLeft) {
    Record("panId");
    hex->setText("ABCD");
    hex->setModified(true);
    emit hex->editingFinished();
    emit hex->editingFinished(); // a pop-up taking the focus finishes the edit again
    EXPECT_EQ(std::count(events.begin(), events.end(), ui::Event::Commit), 1);
}

TEST_F(ControlsTest, RightClickShowsTheHelpPopUpWhoseTextIsAlsoTheTooltip) {
    ui::SetHelp("rate", "SAMPLE RATE", "Samples per second.");
    EXPECT_EQ(spin->toolTip(), "Samples per second.");
    popups->ExpectMessage("SAMPLE RATE");
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(1, 1), QPoint(1, 1));
    QCoreApplication::sendEvent(spin, &click);
    ASSERT_EQ(popups->Shown().size(), 1u);
    EXPECT_EQ(popups->Shown()[0].text, "Samples per second.");
    // A control whose help depends on the state may show nothing.
    ui::SetHelpProvider("zero", [] { return std::optional<ui::HelpText>(); });
    QCoreApplication::sendEvent(button, &click);
    EXPECT_EQ(popups->Shown().size(), 1u);
}

TEST_F(ControlsTest, AttributesAreKeptAndApplied) {
    ui::SetDimmed("rate", true);
    EXPECT_TRUE(ui::IsDimmed("rate"));
    EXPECT_FALSE(spin->isEnabled());
    ui::SetVisible("zero", false);
    EXPECT_FALSE(ui::IsVisible("zero"));
    EXPECT_TRUE(button->isHidden());
    ui::SetTextColor("rate", ui::kRed);
    EXPECT_EQ(ui::GetTextColor("rate"), ui::kRed);
    EXPECT_EQ(spin->palette().color(QPalette::Text), QColor(0xFF, 0, 0));
    ui::SetButtonMark("zero", ui::kRed);
    EXPECT_EQ(ui::GetButtonMark("zero"), ui::kRed);
    ui::SetLedColor("battery", 0xFFFF00);
    EXPECT_EQ(led->onColor(), QColor(0xFF, 0xFF, 0));
    ui::SetRange("rate", 1, 32);
    EXPECT_EQ(spin->maximum(), 32);
}

TEST_F(ControlsTest, HeadlessControlsKeepTheirValues) {
    ui::SetStrict(false);
    ui::SetReal("nowhere", 3.99);
    EXPECT_EQ(ui::GetInt("nowhere"), 3); // toward zero
    ui::SetReal("nowhere", -3.99);
    EXPECT_EQ(ui::GetInt("nowhere"), -3);
    ui::SetText("somewhere", " 12.5 ");
    EXPECT_DOUBLE_EQ(ui::GetReal("somewhere"), 12.5);
    ui::InsertListItem("list", "one", 1);
    EXPECT_EQ(ui::GetListCount("list"), 1);
    ui::SetTableCell("grid", 2, 1, 4.0);
    EXPECT_DOUBLE_EQ(ui::GetTableCell("grid", 2, 1), 4.0);
    EXPECT_FALSE(ui::IsRegistered("nowhere"));
}

TEST_F(ControlsTest, ATimerTickThatComesDuringTheTickRunsAfterIt) {
    int depth = 0, maxDepth = 0, ticks = 0;
    ui::CreateTimer("tick", 1.0, [&] {
        maxDepth = std::max(maxDepth, ++depth);
        if (++ticks == 1) ui::TickTimer("tick"); // a tick from a nested event loop
        --depth;
    });
    ui::SetTimerEnabled("tick", true);
    ui::TickTimer("tick");
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_TRUE(ui::IsTimerEnabled("tick"));
    ui::SetTimerInterval("tick", 0.25);
    EXPECT_DOUBLE_EQ(ui::GetTimerInterval("tick"), 0.25);
}

} // namespace
} // namespace undarix::testing

namespace undarix::testing {
namespace {

TEST_F(ControlsTest, ARingWhoseItemsCarryNoValueCountsByIndex) {
    auto* plain = new QComboBox(&panel);
    plain->setObjectName("plainRing");
    plain->addItems({"Done", "On", "Off"});
    ui::RegisterTree(plain);
    ui::SetInt("plainRing", 2);
    EXPECT_EQ(plain->currentIndex(), 2);
    EXPECT_EQ(ui::GetInt("plainRing"), 2);
    ui::SetInt("plainRing", 7); // beyond the items: unchanged
    EXPECT_EQ(ui::GetInt("plainRing"), 2);
}

// A toggle with a "checkedText" says what a click will do, whoever changes its state.
TEST_F(ControlsTest, AToggleShowsTheTextOfItsNextClick) {
    EXPECT_EQ(ui::GetLabel("startStop"), "Start");
    toggle->click(); // the user
    EXPECT_EQ(ui::GetLabel("startStop"), "Stop");
    ui::SetInt("startStop", 0); // the program
    EXPECT_EQ(ui::GetLabel("startStop"), "Start");
    ui::SetInt("startStop", 1);
    EXPECT_EQ(ui::GetLabel("startStop"), "Stop");
    ui::DefaultCtrl("startStop");
    EXPECT_EQ(ui::GetLabel("startStop"), "Start");
    // A toggle without one keeps its text.
    button->setText("Zero");
    ui::SetInt("zero", 1);
    EXPECT_EQ(ui::GetLabel("zero"), "Zero");
}

TEST_F(ControlsTest, TheBusyCursorNestsAndIsGoneWithTheLastOne) {
    EXPECT_FALSE(ui::IsBusyCursorShown());
    {
        const ui::BusyCursor outer;
        {
            const ui::BusyCursor inner;
            EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        EXPECT_TRUE(ui::IsBusyCursorShown());
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_FALSE(ui::IsBusyCursorShown());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace undarix::testing

