#pragma once

#include <QPoint>

class QMouseEvent;
class QWidget;

// Moves a frameless window by its bare face, as a title bar would: only while
// the left button is held and once the pointer has moved the desktop's drag
// distance, so that a click never starts a move and a window is never left
// stuck to the pointer. Where the window system can move the window itself,
// it is asked to at that first real move; elsewhere the window follows the
// pointer until the button is let go.
class FaceDrag {
public:
    // A left press on the bare face; any other press is no grab.
    void press(QWidget &window, const QMouseEvent &event);
    // True when the move belonged to a grab (the window may have moved).
    bool move(QWidget &window, const QMouseEvent &event);
    void release() { m_state = State::Idle; }

private:
    enum class State { Idle, Held, Following };
    State m_state = State::Idle;
    QPoint m_pressAt;  // global
    QPoint m_offset;   // from the window's top left to the pointer at the press
};
