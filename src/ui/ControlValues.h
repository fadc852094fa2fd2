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

} // namespace undarix::ui
