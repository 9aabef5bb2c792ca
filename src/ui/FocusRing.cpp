#include "ui/FocusRing.h"

#include "SkinPalette.h"
#include "ui/SkinAccessible.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>

FocusRing::FocusRing(QWidget *window) : QWidget(window), m_window(window)
{
    setObjectName(QStringLiteral("focusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    skin_access::leaveOut(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { follow(now); });
}

void FocusRing::follow(QWidget *focused)
{
    if (m_target)
        m_target->removeEventFilter(this);
    const bool ringed = focused && focused != m_window && focused->window() == m_window && focused->parentWidget()
                        && !qobject_cast<QLineEdit *>(focused) && !qobject_cast<QAbstractButton *>(focused);
    m_target = ringed ? focused : nullptr;
    if (!m_target) {
        hide();
        return;
    }
    m_target->installEventFilter(this);
    if (parentWidget() != m_target->parentWidget()) {
        setParent(m_target->parentWidget());
    }
    place();
}

void FocusRing::place()
{
    if (!m_target || !m_target->isVisible()) {
        hide();
        return;
    }
    setGeometry(m_target->geometry().adjusted(-Gap, -Gap, Gap, Gap));
    raise();
    show();
    update();
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_target) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            place();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// A dark line on a light halo, so it shows on the dark faces and the light ones.
void FocusRing::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette::StripHighlight, 3));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 1.5, 1.5);
    painter.setPen(QPen(palette::LinkText, 2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 1.5, 1.5);
}
