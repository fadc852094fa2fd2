#pragma once

// How each kind of widget holds a value, and which of its signals is the user's commit.
// Internal to the UI layer.

#include <QObject>
#include <QString>
#include <QVariant>

#include <string>

namespace undarix::ui {

[[nodiscard]] QVariant ReadWidgetValue(QObject* object);
void WriteWidgetValue(QObject* object, const QVariant& value);
void ConnectCommitSignals(QObject* object, const std::string& role);
void ShowHelpPopup(const QString& title, const QString& text);
// The value a widget starts with: an indicator's number ("0.0000" in the Designer file) as a
// number, so that restoring it shows it in the window's number format.
[[nodiscard]] QVariant StartValue(QObject* object);
// Writes the decimal numbers of a widget's fixed texts (labels, captions, suffixes, tooltips)
// in the window's number format, and its tooltip as readable text.
void ShowFixedTextsReadably(QObject* object);

} // namespace undarix::ui
