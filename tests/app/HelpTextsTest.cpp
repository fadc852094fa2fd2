// Help as the window shows it: tooltips and help pages read as sentences, and the file help
// names the controls and programs the user has.

#include "core/PanelRoles.h"
#include "support/Fixtures.h"
#include "ui/ControlRegistry.h"
#include "ui/ReadableText.h"

#include <QRegularExpression>
#include <QWidget>

namespace undarix::testing {
namespace {

// A line break with the sentence going on after it: "date and time\ndisplayed."
const QRegularExpression& BreakInsideSentence() {
    static const QRegularExpression pattern(R"([a-z,;] *\n *[a-z(])");
    return pattern;
}

class HelpTextsTest : public PanelTest {};

TEST_F(HelpTextsTest, EveryTooltipReadsWithoutBreaksInsideSentences) {
    int tooltips = 0;
    for (QWidget* page : {static_cast<QWidget*>(panel.get()), panel->PlotPage(),
                          panel->AnalysisPage(), panel->ConfigPage(), panel->SeaStatePage()}) {
        for (QWidget* widget : page->findChildren<QWidget*>()) {
            const QString tip = widget->toolTip();
            if (tip.isEmpty()) continue;
            ++tooltips;
            EXPECT_FALSE(BreakInsideSentence().match(tip).hasMatch())
                << widget->objectName().toStdString() << ": " << tip.toStdString();
        }
    }
    EXPECT_GE(tooltips, 50);
}

TEST_F(HelpTextsTest, OpeningAFileNamesTheDataSourceAndTheCompanionsConvert) {
    popups->ExpectMessage("OPEN FILE FROM THIS COMPUTER");
    ui::Dispatch(core::menu::HelpOpenFile, ui::Event::Commit);
    ASSERT_FALSE(popups->Shown().empty());
    const QString text = popups->Shown().back().text;
    EXPECT_TRUE(text.contains("Data source")) << text.toStdString();
    EXPECT_TRUE(text.contains("undarix-cli convert")) << text.toStdString();
    EXPECT_FALSE(text.contains("Plot Source"));
    EXPECT_FALSE(text.contains("TALQConvert"));
    EXPECT_FALSE(BreakInsideSentence().match(ui::ReadableText(text)).hasMatch());
}

} // namespace
} // namespace undarix::testing
