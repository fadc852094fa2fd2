// Printing the panels through the print path into PDF files, without a dialog.

#include "analysis/Printing.h"
#include "core/PanelRoles.h"
#include "support/Fixtures.h"
#include "ui/ControlRegistry.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

namespace undarix::testing {
namespace {

class PrintingTest : public PanelTest {
protected:
    // The dialog step: accepts (or cancels) and prints into `path` as a PDF file.
    void PrintTo(const QString& path, bool accept = true) {
        analysis::SetPrintDialogStep([this, path, accept](QPrinter& printer, QWidget*) {
            ++dialogs;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return accept;
        });
    }

    QTemporaryDir dir;
    int dialogs = 0;
};

TEST_F(PrintingTest, EachMenuItemPrintsItsPanelIntoANonEmptyPdf) {
    ASSERT_TRUE(dir.isValid());
    const ui::Role items[] = {core::menu::PrintAll, core::menu::PrintPlot,
                              core::menu::PrintSpectral, core::menu::PrintConfig};
    for (ui::Role item : items) {
        const QString path = dir.filePath(QString::fromLatin1(item.data(), item.size()) + ".pdf");
        PrintTo(path);
        ui::Dispatch(item, ui::Event::Commit);
        QFile pdf(path);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << item;
        const QByteArray bytes = pdf.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF")) << item;
        EXPECT_GT(bytes.size(), 2000) << item;                      // more than an empty page
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << item; // wait cursor gone
    }
    EXPECT_EQ(dialogs, 4);
}

TEST_F(PrintingTest, CancelledDialogPrintsNothing) {
    const QString path = dir.filePath("cancelled.pdf");
    PrintTo(path, false);
    ui::Dispatch(core::menu::PrintSpectral, ui::Event::Commit);
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(PrintingTest, AnOutputFileThatCannotBeWrittenIsReported) {
    PrintTo(dir.filePath("no/such/folder/panel.pdf"));
    popups->ExpectMessage("PRINT");
    ui::Dispatch(core::menu::PrintAll, ui::Event::Commit);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PrintingTest, WithoutAScreenTheDialogIsNotWaitedFor) {
    analysis::SetPrintDialogStep({}); // Qt's dialog, which nobody could answer offscreen
    ui::Dispatch(core::menu::PrintPlot, ui::Event::Commit);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace undarix::testing
