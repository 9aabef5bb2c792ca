#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QRect>
#include <QString>

// A window's design as data: one row per element, geometry in twips (15 to a
// pixel), the way the windows were laid out originally. LayoutBuilder turns a
// table into widgets; nothing else places them.
namespace layout {

enum class Kind {
    Image,        // picture or transparent hot spot; may be a store that is never seen
    Label,        // windowless text, transparent background
    LabelButton,  // a label that acts as a button (hand pointer, clicked signal)
    Panel,        // child window with its own background picture
    DropDown,     // list-only drop-down
    SmallButton,  // a small push button with a text caption
    Holder,       // hidden value holder (text field, list, browser): no widget
};

enum class Pointer { Arrow, Hand };

struct Font {
    double points = 0.0;  // 0: the window's font
    bool bold = false;
    bool underline = false;
};

struct Element {
    QString name;
    int index = -1;        // member of an indexed set when >= 0
    Kind kind = Kind::Image;
    QString parent;        // empty: the window itself
    QRect twips;           // left, top, width, height
    bool shown = true;
    QString text;
    QString toolTip;
    Pointer pointer = Pointer::Arrow;
    QString picture;       // skin picture name, shown at rest
    Font font;
    QColor colour;         // invalid: the default text colour
    bool centred = false;
    bool autoSize = false; // the element sizes itself to its text
    bool stretch = false;  // the picture fills the element
    QStringList items;     // drop-down entries

    QString key() const { return index >= 0 ? QStringLiteral("%1(%2)").arg(name).arg(index) : name; }
};

using Table = QList<Element>;

inline constexpr int TwipsPerPixel = 15;
inline int px(int twips) { return qRound(twips / double(TwipsPerPixel)); }
inline QRect pixelRect(const QRect &t) { return {px(t.left()), px(t.top()), px(t.width()), px(t.height())}; }

// Tahoma where installed; Qt falls back per glyph to the desktop's sans-serif
// and to a CJK font for the Chinese texts. Sizes become pixel sizes so that text
// keeps its pixel size whatever the display's logical DPI.
int pixelSizeOfPoints(double points);

}  // namespace layout
