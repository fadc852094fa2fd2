#include "ui/ReadableText.h"

#include "ui/NumberText.h"

#include <QRegularExpression>
#include <QStringList>

namespace undarix::ui {
namespace {

bool EndsSentence(const QString& line) {
    const QString trimmed = line.trimmed();
    return trimmed.isEmpty() || QString(".:!?").contains(trimmed.back());
}

// A list item ("- ", "2. ", "b) ") or an indented line (a worked example, a formula) keeps
// the line it begins.
bool BeginsOwnLine(const QString& line) {
    static const QRegularExpression item(
        QStringLiteral(R"(^(\s{2,}\S|\s*([-*\x{2022}]|\d+[.)]|[a-z]\))\s))"));
    return item.match(line).hasMatch();
}

QString ReflowParagraph(const QString& paragraph) {
    const QStringList lines = paragraph.split('\n');
    QString result = lines.front();
    for (int i = 1; i < lines.size(); ++i) {
        if (EndsSentence(lines[i - 1]) || BeginsOwnLine(lines[i])) {
            result += '\n' + lines[i];
            continue;
        }
        while (result.endsWith(' '))
            result.chop(1);
        result += ' ' + lines[i].trimmed();
    }
    return result;
}

} // namespace

QString ReadableText(const QString& text) {
    QStringList paragraphs = text.split("\n\n");
    for (QString& paragraph : paragraphs)
        paragraph = ReflowParagraph(paragraph);
    return LocalizeDecimals(paragraphs.join("\n\n"));
}

} // namespace undarix::ui
