#include "ui/FaceDrag.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

void FaceDrag::press(QWidget &window, const QMouseEvent &event)
{
    if (event.button() != Qt::LeftButton) {
        m_state = State::Idle;
        return;
    }
    m_state = State::Held;
    m_pressAt = event.globalPosition().toPoint();
    m_offset = m_pressAt - window.pos();
}

bool FaceDrag::move(QWidget &window, const QMouseEvent &event)
{
    if (m_state == State::Idle)
        return false;
    if (!(event.buttons() & Qt::LeftButton)) {
        m_state = State::Idle;  // the release went elsewhere
        return false;
    }
    const QPoint at = event.globalPosition().toPoint();
    if (m_state == State::Held) {
        if ((at - m_pressAt).manhattanLength() < QApplication::startDragDistance())
            return true;
        if (QWindow *handle = window.windowHandle(); handle && handle->startSystemMove()) {
            m_state = State::Idle;  // the window system has the pointer now
            return true;
        }
        m_state = State::Following;
    }
    window.move(at - m_offset);
    return true;
}
