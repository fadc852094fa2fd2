#include "analysis/SeaStatePage.h"

#include "analysis/SeaState.h"
#include "analysis/SeaStateRoles.h"
#include "analysis/SpectralAnalysis.h"
#include "analysis/codec/SeaStateFormat.h"
#include "live/DeviceTable.h"
#include "ui/Clock.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/NumberText.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QTableWidget>
#include <qcustomplot.h>

#include <algorithm>
#include <map>
#include <string>

namespace undarix::analysis {
namespace {

constexpr int kAddressRole = Qt::UserRole;

void ShowNoRecordYet(QCustomPlot* plot, bool empty);

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
    ticker->setTickCount(6);
    ticker->setTickStepStrategy(QCPAxisTicker::tssMeetTickCount);
    plot->xAxis->setTicker(ticker);
    plot->xAxis->setLabel("Interval start (unit clock)");
    plot->yAxis->setLabel("Hm0 (m)");
    plot->yAxis2->setLabel("Tp (s)");
    plot->yAxis2->setVisible(true);
    plot->legend->setVisible(false);
    plot->legend->setFont(QFont(plot->font().family(), 8));
    plot->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    plot->legend->setWrap(8);
    ShowNoRecordYet(plot, true);
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
    texts["why"] = SeaStateFlagReason(record.qc).toStdString();
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

// What the page knows of each unit's interval under way, from the samples fed.
struct Gathering {
    int device = 0;
    int rate = 0;
    std::int64_t start = 0; // the interval's start, calendar seconds of the unit's clock
    std::int64_t lastStamp = 0;
    int samples = 0;
};

struct GatheringState {
    std::map<std::uint64_t, Gathering> units;
    int intervalMinutes = 0;
    bool changed = false;    // since the text was last shown
    qint64 shownAtMs = -1;   // when it was
};

// A fast port brings many packets a second: the text is made again at most once a second
// (the page's tick shows what came since), not for every packet.
constexpr qint64 kGatheringRedrawMs = 1000;

GatheringState& Gatherings() {
    static GatheringState state;
    return state;
}

QString ClockText(std::int64_t calendarSeconds) {
    return QDateTime::fromSecsSinceEpoch(calendarSeconds, Qt::UTC).toString("dd.MM. hh:mm");
}

QLabel* GatheringLabel() {
    return ui::Widget<QLabel>(seastate::Gathering);
}

void ShowGathering() {
    GatheringState& state = Gatherings();
    state.changed = false;
    state.shownAtMs = ui::NowMs();
    QLabel* label = GatheringLabel();
    if (!label) return;
    const QString text = SeaStateGatheringText();
    if (label->text() != text) label->setText(text);
}

QString Percent(double share) {
    return QLocale().toString(100.0 * share, 'f', share < 0.995 ? 0 : 1);
}

// What the plot shows while no unit has a record yet.
// The legend goes in a row of its own under the graph, where it covers no data; an empty
// legend leaves the layout (its zero width would squeeze the graph to nothing).
void PlaceLegend(QCustomPlot* plot, bool shown) {
    QCPLayoutGrid* layout = plot->plotLayout();
    const bool placed = plot->legend->layout() == layout;
    if (shown && !placed) {
        if (plot->legend->layout()) plot->legend->layout()->take(plot->legend);
        layout->addElement(1, 0, plot->legend);
        layout->setRowStretchFactor(1, 0.001);
    } else if (!shown && placed) {
        layout->take(plot->legend);
        layout->simplify();
    }
    plot->legend->setVisible(shown);
}

void ShowNoRecordYet(QCustomPlot* plot, bool empty) {
    auto* note = plot->findChild<QCPItemText*>("noRecordYet");
    if (!note) {
        note = new QCPItemText(plot);
        note->setObjectName("noRecordYet");
        note->position->setType(QCPItemPosition::ptAxisRectRatio);
        note->position->setCoords(0.5, 0.5);
        note->setPositionAlignment(Qt::AlignCenter);
        note->setColor(QColor(0x60, 0x60, 0x60));
        note->setClipToAxisRect(false);
    }
    note->setText("No sea-state record yet: each unit's first record comes when its interval "
                  "ends.\nWhat is being gathered is shown beside the plot.");
    note->setVisible(empty);
    for (QCPAxis* axis : {plot->xAxis, plot->yAxis, plot->yAxis2})
        axis->setTickLabels(!empty);
}

} // namespace

void NoteSeaStateGathering(int slot) {
    if (slot < 0 || slot >= live::kTableSlots) return;
    const live::OutputLineRecord& record = live::OutputLine[slot];
    const auto clock = SeaState.clocks.find(record.address);
    if (record.address == 0 || clock == SeaState.clocks.end() || record.sampleRate == 0) return;
    GatheringState& state = Gatherings();
    const int minutes = SeaState.accumulator.Settings().intervalMinutes;
    if (minutes != state.intervalMinutes) state.units.clear(); // the intervals were let go
    state.intervalMinutes = minutes;
    const std::int64_t length = std::int64_t(std::max(1, minutes)) * 60;
    Gathering& unit = state.units[record.address];
    if (clock->second.stamp == unit.lastStamp && unit.samples > 0 && record.packetKind != 'C')
        return; // the same packet again
    const std::int64_t start = clock->second.stamp / length * length;
    if (start != unit.start || unit.rate != record.sampleRate) unit.samples = 0;
    unit.start = start;
    unit.rate = record.sampleRate;
    unit.device = record.deviceNumber;
    unit.lastStamp = clock->second.stamp;
    unit.samples += record.packetKind == 'C' ? 1 : std::max(0, record.sampleCount);
    state.changed = true;
    if (state.shownAtMs < 0 || ui::NowMs() - state.shownAtMs >= kGatheringRedrawMs)
        ShowGathering();
}

void ShowSeaStateGatheringIfChanged() {
    if (Gatherings().changed) ShowGathering();
}

QString SeaStateGatheringText() {
    const GatheringState& state = Gatherings();
    if (state.units.empty())
        return "No unit heard on the unit port yet: intervals are gathered from live data "
               "only (a played-back file goes to undarix-cli seastate).";
    const std::int64_t length = std::int64_t(std::max(1, state.intervalMinutes)) * 60;
    QStringList lines{
        QString("Gathering %1-min intervals (unit clock):").arg(state.intervalMinutes)};
    for (const auto& [address, unit] : state.units) {
        const int expected = int(length * unit.rate);
        lines << QString("Device %1: %2 of %3 samples since %4; record due %5")
                     .arg(unit.device)
                     .arg(unit.samples)
                     .arg(expected)
                     .arg(ClockText(unit.start).right(5), ClockText(unit.start + length).right(5));
    }
    return lines.join('\n');
}

QString SeaStateFlagReason(const codec::QcResult& qc) {
    const auto level = [](int flag) {
        return flag == codec::kQcFail ? QString(" (fail)") : QString(" (suspect)");
    };
    QStringList reasons;
    if (qc.gapFlag != codec::kQcPass && qc.expected > 0)
        reasons << QString("%1 % of the samples present, longest gap %2")
                           .arg(Percent(double(qc.present) / qc.expected))
                           .arg(qc.longestGap) +
                       level(qc.gapFlag);
    if (qc.rangeFlag != codec::kQcPass)
        reasons << QString("%1 samples out of range").arg(qc.outOfRange) + level(qc.rangeFlag);
    if (qc.flatFlag != codec::kQcPass)
        reasons << QString("flat line over %1 samples").arg(qc.flatSamples) + level(qc.flatFlag);
    if (qc.spikeFlag != codec::kQcPass)
        reasons << QString("%1 spikes replaced").arg(qc.spikes) + level(qc.spikeFlag);
    if (qc.shiftFlag != codec::kQcPass)
        reasons << QString("mean shifted %1 m").arg(QLocale().toString(qc.meanShift, 'f', 3)) +
                       level(qc.shiftFlag);
    return reasons.join("; ");
}

std::uint32_t FlagColor(int flag) {
    switch (flag) {
    case codec::kQcPass: return kPassColor;
    case codec::kQcSuspect: return kSuspectColor;
    default: return kFailColor;
    }
}

void BindSeaStatePage() {
    Gatherings() = GatheringState{};
    SetUpTable();
    SetUpPlot();
    ShowGathering();
    // The plot and the table share the page's height alike: the history and the reasons of
    // its flags are read together.
    if (auto* splitter = ui::Widget<QSplitter>(seastate::Splitter)) {
        splitter->setStretchFactor(0, 1);
        splitter->setStretchFactor(1, 1);
        splitter->setSizes({1000, 1000});
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
        QCPGraph* failed = nullptr;
    };
    std::map<std::uint64_t, Lines> lines;
    std::map<std::uint64_t, int> colours;
    double highestHm0 = 0.0, highestTp = 0.0;
    for (const codec::SeaStateRecord& record : SeaState.history) {
        if (!IsPlotted(record.address, colours)) continue;
        Lines& unit = lines[record.address];
        if (!unit.hm0) {
            const QColor colour = QColor::fromRgb(kAnalysisColors[colours[record.address] % 8]);
            unit.hm0 = plot->addGraph(plot->xAxis, plot->yAxis);
            unit.hm0->setPen(QPen(colour, 1.5));
            unit.hm0->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 5));
            unit.hm0->setName(QString("Hm0 %1").arg(record.deviceNumber));
            unit.tp = plot->addGraph(plot->xAxis, plot->yAxis2);
            unit.tp->setPen(QPen(colour, 1.0, Qt::DashLine));
            unit.tp->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 5));
            unit.tp->setName(QString("Tp %1").arg(record.deviceNumber));
            // A failed interval is a red cross at the foot of the graph, joined to nothing:
            // its numbers, if any, are not the sea's.
            unit.failed = plot->addGraph(plot->xAxis, plot->yAxis);
            unit.failed->setLineStyle(QCPGraph::lsNone);
            unit.failed->setScatterStyle(
                QCPScatterStyle(QCPScatterStyle::ssCross, QPen(Qt::red, 2), Qt::NoBrush, 9));
            unit.failed->setName(QString("failed %1").arg(record.deviceNumber));
        }
        const double key = double(record.start);
        if (!record.analysed || record.qc.flag == codec::kQcFail) {
            unit.failed->addData(key, 0.0);
            // A gap in the lines, not a join across the failed interval.
            unit.hm0->addData(key, qQNaN());
            unit.tp->addData(key, qQNaN());
            continue;
        }
        unit.hm0->addData(key, record.hm0);
        highestHm0 = std::max(highestHm0, record.hm0);
        if (record.periods.available) {
            unit.tp->addData(key, record.periods.tp);
            highestTp = std::max(highestTp, record.periods.tp);
        }
    }
    for (auto& [address, unit] : lines)
        if (unit.failed && unit.failed->dataCount() == 0) plot->removeGraph(unit.failed);
    const bool empty = lines.empty();
    ShowNoRecordYet(plot, empty);
    PlaceLegend(plot, !empty);
    if (!empty) {
        plot->xAxis->rescale();
        const QCPRange keys = plot->xAxis->range();
        const double pad = std::max(60.0, keys.size() * 0.03); // the end points stay clear
        plot->xAxis->setRange(keys.lower - pad, keys.upper + pad);
        // Room above the highest point: the lines do not run along the frame.
        plot->yAxis->setRange(0.0, std::max(0.5, highestHm0 * 1.25));
        plot->yAxis2->setRange(0.0, std::max(2.0, highestTp * 1.25));
    }
    plot->replot(QCustomPlot::rpQueuedReplot);
}

} // namespace undarix::analysis
