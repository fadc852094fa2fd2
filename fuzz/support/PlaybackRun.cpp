#include "support/PlaybackRun.h"
#include "chart/TraceBinding.h"

#include "chart/PlotPageRoles.h"
#include "core/PanelRoles.h"
#include "core/ProgramState.h"
#include "files/Playback.h"
#include "support/FuzzProgram.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"
#include "ui/Timers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

namespace undarix::fuzz {
namespace {

QString FilePath(const char* suffix) {
    return QDir::temp().filePath(
        QString("undarix-fuzz-%1.%2").arg(QCoreApplication::applicationPid()).arg(suffix));
}

void SetSpeed(double kilobytesPerSecond) {
    ui::SetReal(core::mainpanel::PlaybackSpeed, kilobytesPerSecond);
    ui::Dispatch(core::mainpanel::PlaybackSpeed, ui::Event::Commit);
}

} // namespace

void PlayBackFile(const char* suffix, const std::uint8_t* data, std::size_t count, bool stepBack) {
    const QString path = FilePath(suffix);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
        file.write(reinterpret_cast<const char*>(data), qint64(count));
    }
    ui::SetInt(chart::roles::PlotSourceSelect, 1);
    ui::Dispatch(chart::roles::PlotSourceSelect, ui::Event::Commit);
    files::OpenFile2PlotPath(path);
    ui::SetInt(chart::roles::RawStartStop, 1);
    ui::Dispatch(chart::roles::RawStartStop, ui::Event::Commit);

    // Each block is read once forwards; a step back adds one block to read again.
    const std::size_t blocks = count / 1024 + 2;
    for (std::size_t tick = 0; tick < 2 * blocks + 2 && core::Program.PlottingRunning; ++tick) {
        ui::TickTimer(core::timer::ReadFile);
        chart::BindTracesToHeardUnits();
        if (stepBack && tick % 4 == 3 && tick < blocks) {
            SetSpeed(-1.0);
            ui::TickTimer(core::timer::ReadFile);
            SetSpeed(1.0);
        }
    }
    files::CloseFile2Plot();
    QFile::remove(path);
}

} // namespace undarix::fuzz
