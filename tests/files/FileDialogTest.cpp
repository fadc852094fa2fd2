// The file dialogs of the data file, the capture file and playback: a name typed without an
// extension gets the one of its kind, and the open dialog offers both kinds of file.

#include "files/FileFixture.h"
#include "files/FileState.h"

#include <QFileInfo>

namespace undarix::testing {
namespace {

using namespace core;
using files::Files;
using Status = ui::FileSelection::Status;

class FileDialogTest : public FileFixture {};

TEST(DefaultSuffix, ComesFromTheChosenFilterOrElseTheDefaultPattern) {
    struct Case {
        const char* defaultPattern;
        const char* typeList;
        const char* chosen;
        const char* suffix;
    };
    const Case cases[] = {
        {"*.api", "*.txt;*.*", "", "api"}, // the dialog told no filter
        {"*.api", "*.txt;*.*", "*.api", "api"},
        {"*.api", "*.txt;*.*", "*.txt", "txt"}, // as a file dialog does for a chosen filter
        {"*.api", "*.txt;*.*", "*.*", "api"},   // "any file" names none: the kind's own
        {"*.csv", "*.txt;*.*", "", "csv"},
        {"PNG image (*.png)", "SVG image (*.svg);PDF document (*.pdf)", "SVG image (*.svg)", "svg"},
        {"Data files (*.csv *.CSV)", "*.*", "", "csv"},            // one extension in two cases
        {"Data and API frame files (*.csv *.api)", "*.*", "", ""}, // two kinds: none
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.defaultPattern) + " / " + c.chosen);
        EXPECT_EQ(ui::DefaultSuffix({"t", c.defaultPattern, c.typeList, true}, c.chosen),
                  QString(c.suffix));
    }
}

// "site" typed in Save API Frame Data used to write a file "site" that Open File to Plot then
// refused as WRONG FILE TYPE.
TEST_F(FileDialogTest, ACaptureSavedUnderAPlainNameGetsApiAndPlaysBack) {
    popups->ExpectFile("Save API Frame Data To:", {Status::NewFile, Path("site")});
    ui::Dispatch(menu::SaveApiFrameData, ui::Event::Commit);
    EXPECT_EQ(Files.capture.SaveAPIFrameDataFileName, Path("site.api"));
    EXPECT_TRUE(QFileInfo::exists(Path("site.api")));
    EXPECT_FALSE(QFileInfo::exists(Path("site")));
    ui::Dispatch(menu::StopSavingApiFrameData, ui::Event::Commit);

    files::OpenFile2PlotPath(Path("site.api"));
    EXPECT_EQ(Program.FileOpen, 1);
    EXPECT_EQ(Program.OpenFileType, 1);
}

TEST_F(FileDialogTest, TheNameWithItsExtensionIsTheOneAskedAboutReplacing) {
    WriteAll(Path("site.api"), "old");
    // The dialog saw no file "site"; the file written would replace site.api.
    popups->ExpectFile("Save API Frame Data To:", {Status::NewFile, Path("site")});
    popups->ExpectConfirm("Confirm Save File", false);
    ui::Dispatch(menu::SaveApiFrameData, ui::Event::Commit);
    EXPECT_EQ(Program.APIFrameDataFileOpen, 0);
    EXPECT_EQ(ReadAll(Path("site.api")), "old");
}

TEST_F(FileDialogTest, NamesWithAnExtensionAndExistingFilesAreKept) {
    WriteAll(Path("existing"), "");
    struct Case {
        const char* typed;
        Status status;
        const char* written;
    };
    const Case cases[] = {{"site.bin", Status::NewFile, "site.bin"},
                          {"site.v2.api", Status::NewFile, "site.v2.api"},
                          {"existing", Status::ExistingFile, "existing"}};
    for (const Case& c : cases) {
        popups->ExpectFile("Save API Frame Data To:", {c.status, Path(c.typed)});
        if (c.status == Status::ExistingFile) popups->ExpectConfirm("Confirm Save File", true);
        ui::Dispatch(menu::SaveApiFrameData, ui::Event::Commit);
        EXPECT_EQ(Files.capture.SaveAPIFrameDataFileName, Path(c.written));
    }
}

TEST_F(FileDialogTest, ADataFileSavedUnderAPlainNameIsNumberedAsACsvFile) {
    ExpectStart("site");
    ui::Dispatch(menu::SaveOutputData, ui::Event::Commit);
    EXPECT_EQ(Files.data.SaveOutputDataFileName, Path("site000.csv"));
    EXPECT_TRUE(QFileInfo::exists(Path("site000.csv")));
}

TEST_F(FileDialogTest, TheOpenDialogOffersDataAndCaptureFilesTogether) {
    popups->ExpectFile("Open Data File", {});
    ui::Dispatch(menu::OpenFileToPlot, ui::Event::Commit);
    ASSERT_EQ(popups->Shown().size(), 1u);
    const QStringList types = popups->Shown()[0].text.split(';');
    ASSERT_FALSE(types.isEmpty());
    // The first filter, the one the dialog starts with, shows both kinds, in both cases of
    // "csv" that playback takes.
    for (const char* pattern : {"*.csv", "*.CSV", "*.api"})
        EXPECT_TRUE(types.front().contains(pattern)) << pattern;
    EXPECT_TRUE(types.contains("*.*"));
}

} // namespace
} // namespace undarix::testing
