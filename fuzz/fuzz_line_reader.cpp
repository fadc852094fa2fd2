// The data-file line reader: each line of the input, as playback puts it into RxCSV (without
// its line end, cut to the buffer), taken apart into the device table and plotted on the
// chart.

#include "chart/PlotPageRoles.h"
#include "chart/TraceBinding.h"
#include "files/LineReader.h"
#include "support/FuzzProgram.h"
#include "ui/Callbacks.h"
#include "ui/Controls.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace undarix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return -1;
    fuzz::StartProgram();
    ui::SetInt(chart::roles::PlotSourceSelect, 1);
    ui::Dispatch(chart::roles::PlotSourceSelect, ui::Event::Commit);

    const char* text = reinterpret_cast<const char*>(data);
    const char* const end = text + size;
    while (text < end) {
        const char* lineEnd = std::find(text, end, '\n');
        std::size_t length = std::size_t(lineEnd - text);
        if (length > 0 && text[length - 1] == '\r') --length;
        length = std::min(length, files::kRxCSVSize - 1);
        std::memcpy(files::RxCSV, text, length);
        files::RxCSV[length] = '\0';
        files::RxCSVFileService();
        chart::BindTracesToHeardUnits();
        text = lineEnd + (lineEnd < end ? 1 : 0);
    }
    return 0;
}
