#pragma once

#include "model/CutShaping.h"

#include <QString>

// The settings menu's check items for shaping ringtones, by command word:
// "FadeIn500" .. "FadeIn2000", "FadeOut500" .. "FadeOut3000" and "Normalize".
namespace shaping_choice {

// Whether the word names one of the items.
bool isShapingWord(const QString &word);

// The shaping after the item was chosen: a fade length that is on turns its
// fade off, any other length replaces it; Normalize turns normalising over.
// Unknown words change nothing.
CutShaping chosen(const CutShaping &shaping, const QString &word);

// Whether the item shows a check mark for this shaping.
bool isOn(const CutShaping &shaping, const QString &word);

}  // namespace shaping_choice
