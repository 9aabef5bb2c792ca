#pragma once

#include <QRect>
#include <QRectF>

// Where the painted faces stand. The window layouts are kept in twips; a face is
// painted at the hot spot's position rounded to the nearest pixel, which is
// where the window places the hot spot, so a lit picture drawn from the hot
// spot's top-left corner covers its face exactly.
namespace skingeo {

constexpr int px(int twips)
{
    // nearest pixel, halves away from zero (twips are never an exact half)
    return twips >= 0 ? (2 * twips + 15) / 30 : -((-2 * twips + 15) / 30);
}

constexpr QRect twipRect(int l, int t, int w, int h)
{
    return QRect(px(l), px(t), px(w), px(h));
}

// main window
inline constexpr QSize MainSize{765, 565};
inline constexpr QRectF MainOutline{2, 2, 760, 554};  // rows 2..555, columns 2..761
inline constexpr qreal MainRadius = 9;

inline constexpr int TitleTop = 2, TitleBottom = 37;
inline constexpr int MenuTop = 38, MenuBottom = 61;
inline constexpr int ToolbarTop = 62, ToolbarBottom = 101;
inline constexpr int PanelTop = 107, PanelBottom = 456;
inline constexpr int TransportTop = 465, TransportBottom = 533;
inline constexpr int StatusTop = 534, StatusBottom = 555;
inline constexpr int PanelLeft = 10, PanelRight = 755;  // under picOpened

inline constexpr QRect MinRect = twipRect(10560, 180, 330, 330);
inline constexpr QRect ExitRect = twipRect(10940, 180, 330, 330);

// The menu strip's words, left to right: File, Edit, Tools, Setting, About.
inline constexpr int MenuCount = 5;
inline constexpr int MenuLefts[MenuCount] = {320, 1180, 2040, 2900, 3760};
constexpr QRect menuRect(int i) { return QRect(px(MenuLefts[i]), px(630), 48, 18); }

inline constexpr int ButtonLefts[8] = {360, 990, 1920, 2580, 2560, 3445, 4150, 4780};
inline constexpr int ButtonTops[8] = {970, 970, 970, -5970, 975, 975, 975, 975};
constexpr QRect buttonRect(int i) { return QRect(px(ButtonLefts[i]), px(ButtonTops[i]), 37, 32); }

// The transport bar: play, stop, pause, set start, set end, play selection,
// save (wide, at the right) and loop (after play selection).
inline constexpr int CtrlCount = 8;
inline constexpr int CtrlLefts[CtrlCount] = {210, 795, 1380, 1965, 2550, 3135, 9915, 3720};
constexpr QSize ctrlSize(int i) { return i == 6 ? QSize(90, 32) : QSize(34, 32); }
constexpr QRect ctrlRect(int i) { return QRect(QPoint(px(CtrlLefts[i]), px(7240)), ctrlSize(i)); }

inline constexpr QRect OpenRect = twipRect(2190, 3300, 465, 540);
// The play time's readout, and the selection table: each field's text starts
// 4 px into a box 72 px wide, room for "1:01:12.345" in the fonts installed.
inline constexpr QRect TimeLabel = twipRect(4440, 7350, 1365, 345);
inline constexpr QRectF ReadoutBox{291.5, 485.5, 98, 31};  // framed behind TimeLabel
inline constexpr int SelColumns[3] = {6465, 7590, 8715};
inline constexpr int SelRows[2] = {7350, 7710};
inline constexpr int SelBoxWidth = 72;
constexpr QRect selLabel(int col, int row) { return twipRect(SelColumns[col], SelRows[row], 1020, 195); }

inline constexpr QRect FeedbackRect = twipRect(9720, 8070, 1245, 255);
inline constexpr QRect HintLabel = twipRect(270, 8070, 2040, 210);
inline constexpr QRect CutProgress = twipRect(4650, 8070, 4215, 225);

// settings dialog
inline constexpr QSize SettingSize{420, 252};
inline constexpr QRectF SettingOutline{2, 2, 414, 247};  // rows 2..248, columns 2..415
inline constexpr qreal SettingRadius = 7;
inline constexpr int SettingTitleBottom = 37;
inline constexpr QRect SettingClose = twipRect(5820, 180, 225, 285);
inline constexpr QRect OpenFolderList = twipRect(690, 1200, 4695, 330);
inline constexpr QRect SoundList = twipRect(690, 2220, 4695, 330);
inline constexpr QRect OkLabel = twipRect(1680, 2940, 675, 285);
inline constexpr QRect BackLabel = twipRect(3510, 2940, 675, 285);

// time-line panel (relative to the panel)
inline constexpr QSize TimelineSize{746, 363};
inline constexpr int TimelineSpan = 728, LineOffset = 6;
inline constexpr int TopGripY = 52, LineY = 58, LineHeight = 284, BottomGripY = 342;
inline constexpr QSize GripSize{13, 8};
inline constexpr QRect FileNameLabel = twipRect(2340, 120, 765, 210);
inline constexpr QRect StartCaption = twipRect(70, 4800, 360, 195);
inline constexpr QRect EndCaption = twipRect(10770, 4800, 270, 195);

// "Loading File:" bar (relative to the bar)
inline constexpr QSize LoadingSize{462, 37};
inline constexpr QRect LoadingFill{90, 13, 361, 13};

}  // namespace skingeo
