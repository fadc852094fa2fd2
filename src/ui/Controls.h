#pragma once

// The operations the behaviour code uses on controls: values and attributes, lists, rings,
// tables and gauges. Controls are addressed by role (their object name in the Designer
// files). Setting a value from code never fires the control's callback.

#include "ui/Role.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace undarix::ui {

// Colours are 0xRRGGBB, as the instrument programs write them.
inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kRed = 0xFF0000;
inline constexpr std::uint32_t kGreen = 0x009900;
inline constexpr std::uint32_t kBlue = 0x0066FF;

// Values. Numerics, rings (the value of the selected item), switches and buttons (0 or 1),
// LEDs (0 or 1), gauges, texts and indicators. An indicator label shows a number in the
// printf format of its "format" property ("hex16" shows 16 hexadecimal digits).
void SetInt(Role role, int value);
void SetReal(Role role, double value);
void SetText(Role role, const QString& text);
void SetU64(Role role, std::uint64_t value);
[[nodiscard]] int GetInt(Role role);
[[nodiscard]] double GetReal(Role role);
[[nodiscard]] QString GetText(Role role);
[[nodiscard]] std::uint64_t GetU64(Role role);
// Restores the value the control had when the panel was loaded (or its "defaultValue").
void DefaultCtrl(Role role);

// Attributes. Dimmed controls are shown but cannot be used; a dimmed setting means the
// unit has not confirmed it yet.
void SetDimmed(Role role, bool dimmed);
[[nodiscard]] bool IsDimmed(Role role);
void SetVisible(Role role, bool visible);
[[nodiscard]] bool IsVisible(Role role);
void SetTextColor(Role role, std::uint32_t rgb);
[[nodiscard]] std::uint32_t GetTextColor(Role role);
// A coloured mark on a command button (0 removes it): red shows an edit not yet sent.
void SetButtonMark(Role role, std::uint32_t rgb);
[[nodiscard]] std::uint32_t GetButtonMark(Role role);
void SetLabel(Role role, const QString& label);
[[nodiscard]] QString GetLabel(Role role);
void SetRange(Role role, double minimum, double maximum);
[[nodiscard]] double GetMaximum(Role role);
void SetLedColor(Role role, std::uint32_t rgb);
[[nodiscard]] std::uint32_t GetLedColor(Role role);

// Lists and rings: items carry a label and an integer value.
void ClearList(Role role);
void InsertListItem(Role role, const QString& label, int value);
[[nodiscard]] int GetListCount(Role role);
[[nodiscard]] QString GetListLabel(Role role, int index);
[[nodiscard]] int GetListValue(Role role, int index);

// Table cells; rows and columns count from 1.
void SetTableCell(Role role, int row, int column, double value);
[[nodiscard]] double GetTableCell(Role role, int row, int column);

// A gauge's range and its colour ramp: the colour of the first stop whose value the reading
// does not exceed, `above` beyond the last stop (not interpolated).
struct ColorStop {
    double value;
    std::uint32_t rgb;
};
void SetGaugeRamp(Role role, double minimum, double maximum, const std::vector<ColorStop>& stops,
                  std::uint32_t above);

// The widget carrying a role, for subsystems that draw on it (graphs); null when headless.
[[nodiscard]] QWidget* FindWidget(Role role);
template <class T> [[nodiscard]] T* Widget(Role role) {
    return qobject_cast<T*>(FindWidget(role));
}

} // namespace undarix::ui
