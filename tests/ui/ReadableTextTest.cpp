// Help and messages as the pop-ups and tooltips show them: breaks inside sentences go,
// paragraphs, lists and worked examples stay.

#include "ui/ReadableText.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace undarix::testing {
namespace {

TEST(ReadableText, DropsBreaksInsideSentencesOnly) {
    struct Case {
        const char* written;
        const char* shown;
    };
    const Case cases[] = {
        // The clock's Set help: the sentence goes on past the break.
        {"Sets the clock to the date and time\ndisplayed.  An edited field shows in red.",
         "Sets the clock to the date and time displayed.  An edited field shows in red."},
        // Opening a file: two sentences broken mid-way, and a paragraph.
        {"press the Start Plotting\nbutton.\n\nSpeed sets the kilobytes read per second (negative "
         "values step backwards),\nPosition jumps to a kilobyte.",
         "press the Start Plotting button.\n\nSpeed sets the kilobytes read per second (negative "
         "values step backwards), Position jumps to a kilobyte."},
        // A break after a sentence or a colon stays; trailing blanks go with a joined break.
        {"It is read.\nA negative speed steps back.", "It is read.\nA negative speed steps back."},
        {"Note to display sample data:\nThe Serial Output must be on.",
         "Note to display sample data:\nThe Serial Output must be on."},
        {"must be \nConverted to a file", "must be Converted to a file"},
        // Lists and indented examples keep their lines.
        {"To find it:\n1. Measure the error,\n2. Compute\n- then enter it",
         "To find it:\n1. Measure the error,\n2. Compute\n- then enter it"},
        {"per minute\n    (32768 x -2) / 4 = -19", "per minute\n    (32768 x -2) / 4 = -19"},
        // Paragraph breaks stay, however many lines they span.
        {"One.\n\n\nTwo", "One.\n\n\nTwo"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::ReadableText(c.written).toStdString(), c.shown) << c.written;
}

// Under a German locale a number in a message reads with a comma, but a path, file name,
// host name or address in the same message is the user's to find again, character for
// character.
TEST(ReadableText, GermanNumbersCommaButNamesStayAsTyped) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    struct Case {
        const char* written;
        const char* shown;
    };
    const Case cases[] = {
        {"Range 0.5 to 4.25 m, -0.5 m below.", "Range 0,5 to 4,25 m, -0,5 m below."},
        {"a 0.01 Hz(100 sec) filter; 2.5m", "a 0,01 Hz(100 sec) filter; 2,5m"},
        {"The file\n/data/run 2.5/site.csv\ncould not be opened: 4.0 s.",
         "The file /data/run 2.5/site.csv could not be opened: 4,0 s."},
        {"Cannot write site_v1.5.csv or rec2.5.api", "Cannot write site_v1.5.csv or rec2.5.api"},
        {"Cannot write 1.5.csv", "Cannot write 1.5.csv"},
        {"C:\\runs\\1.5\\a.csv", "C:\\runs\\1.5\\a.csv"},
        {"Broker mqtt-1.2.example.org or 192.168.1.10 unreachable",
         "Broker mqtt-1.2.example.org or 192.168.1.10 unreachable"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::ReadableText(c.written).toStdString(), c.shown) << c.written;
    QLocale::setDefault(before);
}

} // namespace
} // namespace undarix::testing
