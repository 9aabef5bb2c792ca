#pragma once

#include "ui/LayoutTable.h"

// The design of the main window: every element with its kind, place, size,
// visibility, text, font, colour, tool tip, pointer and picture.
layout::Table mainLayout();

// Client area of the main window in pixels (the background picture is one pixel
// larger each way; its last column and row fall outside).
inline constexpr int MainClientWidth = 764;
inline constexpr int MainClientHeight = 564;
