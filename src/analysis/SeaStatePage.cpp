#include "analysis/SeaStatePage.h"

#include "analysis/SeaState.h"
#include "analysis/SeaStateRoles.h"
#include "analysis/SpectralAnalysis.h"
#include "analysis/codec/SeaStateFormat.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/NumberText.h"

#include <QHeaderView>
#include <QListWidget>
#include <QSplitter>
#include <QTableWidget>
#include <qcustomplot.h>

#include <map>
#include <string>

namespace undarix::analysis {
namespace {

constexpr int kAddressRole = Qt::UserRole;

QTableWidget* Table() {
    return ui::Widget<QTableWidget>(seastate::Table);
}
QCustomPlot* Plot() {
    return ui::Widget<QCustomPlot>(seastate::Plot);
}
QListWidget* UnitList() {
    return ui::Widget<QListWidget>(seastate::UnitList);
}

int FlagOfText(const std::string& text) {
    if (text == "pass") return codec::kQcPass;
    if (text == "suspect") return codec::kQcSuspect;
    return codec::kQcFail;
}

QString UnitLabel(const codec::SeaStateRecord& record) {
    const QString address = QString("%1").arg(record.address, 16, 16, QChar('0')).toUpper();
    return QString("Device %1  (%2)").arg(record.deviceNumber).arg(address);
}

void SetUpTable() {
    QTableWidget* table = Table();
    if (!table) return;
    QStringList headings;
    for (const SeaStateColumn& column : kSeaStateColumns)
        headings << column.heading;
    table->setColumnCount(int(headings.size()));
    table->setHorizontalHeaderLabels(headings);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

void SetUpPlot() {
    QCustomPlot* plot = Plot();
    if (!plot) return;
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    // The units' clocks carry no time zone: shown as they stand.
    ticker->setDateTimeSpec(Qt::UTC);
    ticker->setDateTimeFormat("dd.MM.\nhh:mm");
    plot->xAxis->setTicker(ticker);
    plot->xAxis->setLabel("Interval start (unit clock)");
    plot->yAxis->setLabel("Hm0 (m)");
    plot->yAxis2->setLabel("Tp (s)");
    plot->yAxis2->setVisible(true);
    plot->legend->setVisible(true);
    plot->legend->setFont(QFont(plot->font().family(), 8));
    plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignLeft);
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->axisRect()->setRangeDrag(Qt::Horizontal);
    plot->axisRect()->setRangeZoom(Qt::Horizontal);
}

void AddRow(const codec::SeaStateRecord& record) {
    QTableWidget* table = Table();
    if (!table) return;
    std::map<std::string, std::string> texts;
    for (auto& [name, text] : codec::SeaStateFieldTexts(record))
        texts[name] = text;
    table->insertRow(0);
    int column = 0;
    for (const SeaStateColumn& c : kSeaStateColumns) {
        auto* item =
            new QTableWidgetItem(ui::LocalizeDecimals(QString::fromStdString(texts[c.field])));
        if (c.flagField) {
            const int flag = FlagOfText(texts[c.flagField]);
            item->setBackground(QColor::fromRgb(FlagColor(flag)));
            item->setData(Qt::UserRole, flag);
        }
        table->setItem(0, column++, item);
    }
    while (table->rowCount() > int(SeaState.history.size()))
        table->removeRow(table->rowCount() - 1);
}

void AddUnit(const codec::SeaStateRecord& record) {
    QListWidget* list = UnitList();
    if (!list) return;
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        if (item->data(kAddressRole).toULongLong() != record.address) continue;
        item->setText(UnitLabel(record)); // the device number may have changed
        return;
    }
    auto* item = new QListWidgetItem(UnitLabel(record));
    item->setData(kAddressRole, qulonglong(record.address));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    const QSignalBlocker quiet(list);
    list->addItem(item);
}

bool IsPlotted(std::uint64_t address, std::map<std::uint64_t, int>& colours) {
    QListWidget* list = UnitList();
    if (!list) return false;
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        if (item->data(kAddressRole).toULongLong() != address) continue;
        colours.emplace(address, i);
        return item->checkState() == Qt::Checked;
    }
    return false;
}

} // namespace

std::uint32_t FlagColor(int flag) {
    switch (flag) {
    case codec::kQcPass: return kPassColor;
    case codec::kQcSuspect: return kSuspectColor;
    default: return kFailColor;
    }
}

void BindSeaStatePage() {
    SetUpTable();
    SetUpPlot();
    // The plot and the table share the page's height, the plot a little more.
    if (auto* splitter = ui::Widget<QSplitter>(seastate::Splitter)) {
        splitter->setStretchFactor(0, 3);
        splitter->setStretchFactor(1, 2);
        splitter->setSizes({3000, 2000});
    }
    if (QListWidget* list = UnitList())
        QObject::connect(list, &QListWidget::itemChanged, list, [] { RedrawSeaStatePlot(); });
    ui::SetHelp(seastate::Table, "SEA STATE",
                "One row per unit and interval, the newest at the top: the wave parameters of\n"
                "the interval and the quality control of its raw samples (green pass, yellow\n"
                "suspect, red fail). While saving output data, the same records go to the\n"
                "sea-state file beside the data file (site000-seastate.csv).");
    ui::SetHelp(seastate::UnitList, "UNITS ON THE PLOT",
                "Tick the units whose Hm0 and Tp the plot shows.");
}

void ShowSeaStateRecord(const codec::SeaStateRecord& record) {
    AddUnit(record);
    AddRow(record);
    RedrawSeaStatePlot();
}

void RedrawSeaStatePlot() {
    QCustomPlot* plot = Plot();
    if (!plot) return;
    plot->clearGraphs();
    struct Lines {
        QCPGraph* hm0 = nullptr;
        QCPGraph* tp = nullptr;
    };
    std::map<std::uint64_t, Lines> lines;
    std::map<std::uint64_t, int> colours;
    for (const codec::SeaStateRecord& record : SeaState.history) {
        if (!record.analysed || !IsPlotted(record.address, colours)) continue;
        Lines& unit = lines[record.address];
        if (!unit.hm0) {
            const QColor colour = QColor::fromRgb(kAnalysisColors[colours[record.address] % 8]);
            unit.hm0 = plot->addGraph(plot->xAxis, plot->yAxis);
            unit.hm0->setPen(QPen(colour, 1.5));
            unit.hm0->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 4));
            unit.hm0->setName(QString("Hm0 %1").arg(record.deviceNumber));
            unit.tp = plot->addGraph(plot->xAxis, plot->yAxis2);
            unit.tp->setPen(QPen(colour, 1.0, Qt::DashLine));
            unit.tp->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 4));
            unit.tp->setName(QString("Tp %1").arg(record.deviceNumber));
        }
        const double key = double(record.start);
        unit.hm0->addData(key, record.hm0);
        if (record.periods.available) unit.tp->addData(key, record.periods.tp);
    }
    plot->rescaleAxes();
    plot->yAxis->setRangeLower(0.0);
    plot->yAxis2->setRangeLower(0.0);
    plot->replot(QCustomPlot::rpQueuedReplot);
}

} // namespace undarix::analysis
