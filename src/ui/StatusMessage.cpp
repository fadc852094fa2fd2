#include "ui/StatusMessage.h"

namespace undarix::ui {
namespace {

struct Status {
    QString last;
    std::function<void(const QString&)> sink;
};

Status& TheStatus() {
    static Status status;
    return status;
}

} // namespace

void ShowStatus(const QString& text) {
    TheStatus().last = text;
    if (TheStatus().sink) TheStatus().sink(text);
}

QString LastStatus() { return TheStatus().last; }

void SetStatusSink(std::function<void(const QString&)> sink) { TheStatus().sink = std::move(sink); }

} // namespace undarix::ui
