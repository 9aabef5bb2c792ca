#pragma once

#include "ui/LayoutTable.h"

// The design of the settings dialog: the two lists, the two text buttons and
// the hot spot over the painted close cross, in tab order. The row captions
// and the title are painted in the background picture.
layout::Table settingsLayout();

// Client area of the settings dialog in pixels (6270 x 3765 twips). The
// background picture is 420 x 252; what falls outside is not seen.
inline constexpr int SettingsClientWidth = 418;
inline constexpr int SettingsClientHeight = 251;

// The background picture's name in the skin.
inline constexpr const char *SettingsBackground = "frmSetting";
