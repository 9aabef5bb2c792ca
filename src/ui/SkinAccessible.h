#pragma once

#include <QAccessible>
#include <QString>
#include <functional>

class QWidget;

// What assistive technology (a screen reader, AT-SPI) is told about a skinned
// element that draws itself: its role, its name, what it does and, for a
// slider or a progress bar, its value. Every answer is read when asked, from
// whatever the functions read (the window's face and editor state); nothing is
// kept here but the last name and value told, to know when to tell again.
namespace skin_access {

struct Traits {
    QAccessible::Role role = QAccessible::Client;
    std::function<QString()> name;         // empty function: the widget's own text
    std::function<QString()> description;  // empty function: the widget's tool tip
    // The default action (a button's press, a menu word's popup). It runs
    // after the caller has been answered, as a click would run it.
    std::function<void()> press;
    // Sliders and progress bars: the value and its upper end (the lower end is 0).
    std::function<double()> value;
    std::function<double()> maximum;
    std::function<void(double)> setValue;  // empty: the value cannot be set
    double step = 0;                       // the smallest step of a settable value
    // A picture that only decorates (a line, a grip's other half, a store of
    // pictures): left out of its described parent's children.
    bool decorative = false;
    // A menu word: its popup, shown as its one child.
    std::function<QWidget *()> popup;
    // Set by describeGroup: the group the widget is listed under, in place of
    // its own parent.
    QObject *group = nullptr;
};

// Gives `widget` these traits for as long as it lives. The first call installs
// the accessibility factory that makes the interfaces.
void describe(QWidget *widget, Traits traits);
bool isDescribed(const QWidget *widget);
// Lists `members` (described widgets of one parent) under `group`, an object
// with `role` and `name` that stands in their parent's children where the
// first of them stood: the painted menu words under a menu bar.
void describeGroup(QObject *group, QAccessible::Role role, std::function<QString()> name, QList<QWidget *> members);
// Leaves `widget` out of the tree a screen reader walks (under a described parent).
void leaveOut(QWidget *widget);

// Tells assistive technology what changed in `widget` since it was last told:
// a new name (NameChanged) or a new value (ValueChanged). Returns whether the
// name changed.
bool refresh(QWidget *widget);
// Asks assistive technology to speak `widget` now, after any change of its
// name: screen readers speak a notification (role Notification) that comes
// into sight, so its showing state is dropped and raised again.
void announce(QWidget *widget);

// Also hands every event that refresh and announce send to `observer` (an
// empty function: to nobody else). Qt passes events on only while a screen
// reader is connected; the observer hears them regardless, so tests can.
void setObserver(std::function<void(QAccessibleEvent *)> observer);

}  // namespace skin_access
