#pragma once

#include <QPointer>
#include <QWidget>

// The keyboard focus of a skinned window, drawn as a ring around the focused
// control, a few pixels outside it, so that it never covers what the control
// shows (the digits of a time). It follows the focus within `window` and the
// control's moves; Qt's own text boxes and push buttons draw their own focus
// and get no ring. It takes no pointer events and is no part of what a screen
// reader walks.
class FocusRing : public QWidget {
    Q_OBJECT
public:
    static constexpr int Gap = 3;  // pixels between the control and the ring's outer edge

    explicit FocusRing(QWidget *window);
    // The control the ring is around now; null: it is hidden.
    QWidget *target() const { return m_target; }

protected:
    void paintEvent(QPaintEvent *) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow(QWidget *focused);
    void place();

    QWidget *m_window;
    QPointer<QWidget> m_target;
};
