// The window under a German locale: every number it shows and reads has a decimal comma, as
// the spin boxes always had; the numbers of files, units and the network keep their point
// (their own tests run under the same locale).

#include "chart/ChartCursors.h"
#include "chart/PlotPageRoles.h"
#include "core/ConfigPageRoles.h"
#include "support/Fixtures.h"
#include "ui/Controls.h"
#include "ui/NumberText.h"
#include "ui/ReadableText.h"
#include "ui/widgets/Gauge.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <qcustomplot.h>

namespace undarix::testing {
namespace {

class GermanWindowTest : public PanelTest {
protected:
    void SetUp() override {
        ui::UseNumberLocale(QLocale(QLocale::German, QLocale::Germany));
        PanelTest::SetUp();
    }
    void TearDown() override {
        PanelTest::TearDown();
        QLocale::setDefault(QLocale::c());
    }

    [[nodiscard]] QList<QWidget*> AllWidgets() const {
        QList<QWidget*> widgets = panel->findChildren<QWidget*>();
        for (QWidget* page :
             {panel->PlotPage(), panel->AnalysisPage(), panel->ConfigPage(), panel->SeaStatePage()})
            for (QWidget* widget : page->findChildren<QWidget*>())
                if (!widgets.contains(widget)) widgets << widget;
        return widgets;
    }
};

bool IsRealFormat(const QVariant& format) {
    const QString text = format.toString();
    return !text.isEmpty() && text != "hex16" && QString("feEgG").contains(text.back());
}

// Every text a person reads on a widget, with where it is.
void CollectTexts(QWidget* widget, QList<QPair<QString, QString>>& texts) {
    const QString name = widget->objectName();
    const auto add = [&](const QString& what, const QString& text) {
        if (!text.isEmpty()) texts.append({name + " " + what, text});
    };
    add("tooltip", widget->toolTip());
    if (auto* label = qobject_cast<QLabel*>(widget)) add("text", label->text());
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) add("text", edit->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) add("text", button->text());
    if (auto* group = qobject_cast<QGroupBox*>(widget)) add("title", group->title());
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget)) add("text", spin->text());
    if (auto* gauge = qobject_cast<ui::Gauge*>(widget)) add("text", gauge->text());
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        for (int i = 0; i < combo->count(); ++i)
            add("item", combo->itemText(i));
    if (auto* table = qobject_cast<QTableWidget*>(widget))
        for (int r = 0; r < table->rowCount(); ++r)
            for (int c = 0; c < table->columnCount(); ++c)
                if (table->item(r, c)) add("cell", table->item(r, c)->text());
    if (auto* plot = qobject_cast<QCustomPlot*>(widget)) {
        plot->replot();
        for (QCPAxis* axis : plot->axisRect()->axes())
            add("axis", axis->tickVectorLabels().join(' '));
    }
}

TEST_F(GermanWindowTest, EveryNumberTheWindowShowsHasADecimalComma) {
    // Every indicator, table cell and meter holds a number with decimals; the graphs span a
    // range whose ticks have decimals.
    int indicators = 0;
    for (QWidget* widget : AllWidgets()) {
        const std::string role = widget->objectName().toStdString();
        if (IsRealFormat(widget->property("format"))) {
            ui::SetReal(role, 12.345678);
            ++indicators;
        }
        if (qobject_cast<ui::Gauge*>(widget)) ui::SetReal(role, 3.7);
        if (auto* table = qobject_cast<QTableWidget*>(widget); table && table->rowCount() > 0)
            ui::SetTableCell(role, 1, 1, 2.5);
        if (auto* plot = qobject_cast<QCustomPlot*>(widget))
            for (QCPAxis* axis : plot->axisRect()->axes())
                axis->setRange(0.0, 0.25);
    }
    EXPECT_GE(indicators, 20);
    chart::SetGraphCursor(0, 16.0 / 3.0, 0.75);
    chart::UpdateCursors();

    QList<QPair<QString, QString>> texts;
    for (QWidget* widget : AllWidgets())
        CollectTexts(widget, texts);
    static const QRegularExpression decimalPoint(R"((?<![\d.])\d+\.\d+(?![\d.]))");
    int commas = 0;
    for (const auto& [where, text] : texts) {
        EXPECT_FALSE(decimalPoint.match(text).hasMatch())
            << where.toStdString() << ": " << text.toStdString();
        if (text.contains(QRegularExpression(R"(\d,\d)"))) ++commas;
    }
    EXPECT_GE(commas, indicators);

    // The places a German read as thousands before.
    EXPECT_EQ(ui::GetText(chart::roles::LeftXAxis).toStdString(), "5,333");
    EXPECT_EQ(ui::GetText(chart::roles::LeftYAxis).toStdString(), "4,500");
    EXPECT_EQ(ui::Widget<ui::Gauge>(core::configpage::VoltageGauge)->text().right(6).toStdString(),
              "3,70 V");
    EXPECT_EQ(ui::Widget<QTableWidget>(core::configpage::CalPointsTable)
                  ->item(0, 0)
                  ->text()
                  .toStdString(),
              "2,5000");
}

TEST_F(GermanWindowTest, NumbersAreReadWithACommaAndAPastedPoint) {
    ui::SetReal(chart::roles::LeftXAxis, 1.25);
    EXPECT_DOUBLE_EQ(ui::GetReal(chart::roles::LeftXAxis), 1.25);
    EXPECT_EQ(ui::GetInt(chart::roles::LeftXAxis), 1);

    auto* table = ui::Widget<QTableWidget>(core::configpage::CalPointsTable);
    ASSERT_NE(table, nullptr);
    for (const auto& [typed, value] :
         {std::pair{"2,75", 2.75}, std::pair{"2.75", 2.75}, std::pair{" -0,5 ", -0.5}}) {
        table->setItem(0, 0, new QTableWidgetItem(typed));
        EXPECT_DOUBLE_EQ(ui::GetTableCell(core::configpage::CalPointsTable, 1, 1), value) << typed;
    }

    // A spin box types as the indicators show.
    auto* range = ui::Widget<QDoubleSpinBox>(chart::roles::YAxisRange);
    ASSERT_NE(range, nullptr);
    EXPECT_EQ(range->text().toStdString(), "6,00");

    // Help and messages: "0.5 m" in a text written once reads "0,5 m"; a version or an
    // address keeps its points.
    EXPECT_EQ(ui::ReadableText("steps of 0.5 m (0.25 m for the shortest).").toStdString(),
              "steps of 0,5 m (0,25 m for the shortest).");
    EXPECT_EQ(ui::ReadableText("version 1.2.3 at 192.168.0.1").toStdString(),
              "version 1.2.3 at 192.168.0.1");
}

} // namespace
} // namespace undarix::testing
