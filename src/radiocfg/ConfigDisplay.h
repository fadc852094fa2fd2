#pragma once

// Which controls the configuration page and the main panel show for the present unit kind.
// Visibility is independent of dimming: a shown setting stays dimmed until the unit's value
// has been read.

namespace undarix::radiocfg {

// Shows the controls of the present UnitType and hides the others; the factory-only controls
// only while FactoryMode is on. For the board, first the pop-up that asks to power it up.
// For the wired kinds and the board the wired hand-shake starts again.
void SetUpConfigDisplay();

// The page's groups; each shows (1) or hides (0) all its members.
void ConfigXBSmpDataVisible(int visible);
void ConfigWSWLSmpDataVisible(int visible);
void ConfigAnalogSyncVisible(int visible);
void ConfigBurstLengthIntervalVisible(int visible);
void ConfigPowerVisible(int visible);
void ConfigAlarmVisible(int visible);
void ConfigWSWLCalVisible(int visible);
void ConfigCalLengthTypeVisible(int visible);
void Config2PointCalVisible(int visible);
void Config12PointCalVisible(int visible);
void ConfigXBPANVisible(int visible);
void ConfigStartTimeVisible(int visible);
void ConfigClockVisible(int visible);
void ConfigCalModeFactoryVisible(int visible);

} // namespace undarix::radiocfg
