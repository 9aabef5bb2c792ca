#include "ui/SkinWidgets.h"

#include "SkinPalette.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QStyleOptionFrame>

namespace {

bool isActivationKey(const QKeyEvent *event)
{
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    return event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace

SkinImage::SkinImage(int index, QWidget *parent) : QWidget(parent), m_index(index)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SkinImage::setPicture(const QPixmap &picture)
{
    if (picture.cacheKey() == m_picture.cacheKey() && picture.isNull() == m_picture.isNull())
        return;
    m_picture = picture;
    update();
}

void SkinImage::paintEvent(QPaintEvent *)
{
    if (!m_picture.isNull()) {
        QPainter painter(this);
        if (m_stretch) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawPixmap(rect(), m_picture);
        } else {
            painter.drawPixmap(0, 0, m_picture);
        }
    }
}

bool SkinImage::event(QEvent *event)
{
    if (event->type() == QEvent::Leave)
        emit left();
    if (event->type() == QEvent::ShortcutOverride && hasFocus() && isActivationKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void SkinImage::keyPressEvent(QKeyEvent *event)
{
    if (isActivationKey(event) && !event->isAutoRepeat()) {
        activate();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SkinImage::focusInEvent(QFocusEvent *event)
{
    update();
    QWidget::focusInEvent(event);
}

void SkinImage::focusOutEvent(QFocusEvent *event)
{
    update();
    QWidget::focusOutEvent(event);
}

void SkinImage::mousePressEvent(QMouseEvent *event)
{
    m_pressedInside = true;
    emit pressed(m_index, event->position());
}

void SkinImage::mouseMoveEvent(QMouseEvent *event)
{
    emit moved(m_index, event->position(), event->buttons());
}

void SkinImage::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressedInside && rect().contains(event->position().toPoint());
    m_pressedInside = false;
    emit released(m_index, event->position());
    if (click)
        emit clicked(m_index);
}

SkinLabel::SkinLabel(bool autoSize, bool actsAsButton, QWidget *parent)
    : QLabel(parent), m_autoSize(autoSize), m_button(actsAsButton)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(actsAsButton);
    setTextFormat(Qt::PlainText);
}

void SkinLabel::setCaption(const QString &caption)
{
    if (caption == text())
        return;
    setText(caption);
    if (m_autoSize)
        resize(sizeHint().expandedTo(QSize(1, height())));
}

void SkinLabel::activate()
{
    emit pressed();
    if (m_button)
        emit clicked();
}

bool SkinLabel::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && hasFocus() && isActivationKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QLabel::event(event);
}

void SkinLabel::keyPressEvent(QKeyEvent *event)
{
    if (isActivationKey(event) && !event->isAutoRepeat()) {
        activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

void SkinLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
}

void SkinLabel::mousePressEvent(QMouseEvent *event)
{
    // QLabel ignores a press, which would pass it on to the parent.
    QLabel::mousePressEvent(event);
    event->accept();
    emit pressed();
}

void SkinLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_button && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void SkinLabel::mouseMoveEvent(QMouseEvent *event)
{
    emit moved();
    QLabel::mouseMoveEvent(event);
}

SkinPanel::SkinPanel(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
}

void SkinPanel::paintEvent(QPaintEvent *)
{
    if (m_makeBackground) {
        m_background = m_makeBackground();
        m_makeBackground = nullptr;
    }
    QPainter painter(this);
    if (!m_background.isNull())
        painter.drawPixmap(0, 0, m_background);
    else
        painter.fillRect(rect(), Qt::white);
    if (m_framed) {
        // the standard sunken panel border of the cut progress panel
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(0, 0, width() - 1, 0);
        painter.drawLine(0, 0, 0, height() - 1);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
        painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    }
}

void SkinPanel::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->position());
}

void SkinPanel::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() != Qt::NoButton)
        emit dragged(event->position());
}

void SkinPanel::mouseReleaseEvent(QMouseEvent *event)
{
    emit released(event->position());
}

void SkinPanel::wheelEvent(QWheelEvent *event)
{
    emit wheeled(event->position(), event->angleDelta(), event->modifiers());
    event->accept();
}

SkinSmallButton::SkinSmallButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);  // Escape and the pointer reach it; Space stays the transport's
    setCursor(Qt::PointingHandCursor);
}

QSize SkinSmallButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 16, metrics.height() + 6};
}

void SkinSmallButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SkinSmallButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void SkinSmallButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    const bool down = isDown();
    fill.setColorAt(0, down ? palette::TransportBottom : palette::StripHighlight);
    fill.setColorAt(1, down ? palette::TransportTop.darker(108) : palette::TransportBottom);
    painter.setBrush(fill);
    painter.setPen(QPen(m_hovered || down ? palette::LinkText : palette::StripLine, 1));
    painter.drawRoundedRect(face, 3, 3);
    painter.setPen(isEnabled() ? palette::MenuText : palette::StripLine);
    painter.setFont(font());
    painter.drawText(rect().translated(0, down ? 1 : 0), Qt::AlignCenter, text());
}
