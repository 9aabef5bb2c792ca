#pragma once

#include <functional>

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>
#include <QPointF>
#include <QWidget>

// The three element kinds of the skinned windows. None of them draws a frame or
// a background of its own: the window's picture shows through.

// An image element: shows its picture at natural size (or stretched), is fully
// transparent without one, and still receives the pointer. Members of an indexed
// set report their index with every event.
class SkinImage : public QWidget {
    Q_OBJECT
public:
    SkinImage(int index, QWidget *parent);

    int index() const { return m_index; }
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return m_picture; }
    bool hasPicture() const { return !m_picture.isNull(); }
    void setStretch(bool stretch) { m_stretch = stretch; update(); }
    // What a click does, for the keyboard and assistive technology.
    void activate() { emit clicked(m_index); }

signals:
    // Positions are in logical pixels relative to this element.
    void pressed(int index, QPointF pos);
    void moved(int index, QPointF pos, Qt::MouseButtons buttons);  // with or without a button held
    void released(int index, QPointF pos);
    void clicked(int index);
    void left();  // the pointer has left it

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    // An element that takes the focus (Tab) is activated by Space or Return
    // and shows a focus mark; the keys go to it before any window shortcut.
    bool event(QEvent *) override;
    void keyPressEvent(QKeyEvent *) override;
    void focusInEvent(QFocusEvent *) override;
    void focusOutEvent(QFocusEvent *) override;

private:
    int m_index;
    QPixmap m_picture;
    bool m_stretch = false;
    bool m_pressedInside = false;
};

// A label; one that sizes itself to its text keeps its left edge and grows to
// the right, like the design's auto-sizing labels. A press on a label belongs
// to it and never reaches the panel or window underneath; one that acts as a
// button reports a click on release inside it.
class SkinLabel : public QLabel {
    Q_OBJECT
public:
    SkinLabel(bool autoSize, bool actsAsButton, QWidget *parent);
    void setCaption(const QString &text);
    // What a click does (a press, and the click of one that acts as a button),
    // for the keyboard and assistive technology.
    void activate();

signals:
    void pressed();
    void clicked();
    void moved();

protected:
    void mousePressEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    // One that takes the focus (Tab) is activated by Space or Return and
    // shows a focus mark, as a skinned image does.
    bool event(QEvent *) override;
    void keyPressEvent(QKeyEvent *) override;
    void paintEvent(QPaintEvent *) override;

private:
    bool m_autoSize;
    bool m_button;
};

// A small push button in the skin's colours with a short caption ("取消"):
// a light rounded face, its edge lit under the pointer, pressed darker.
class SkinSmallButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit SkinSmallButton(QWidget *parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;

private:
    bool m_hovered = false;
};

// A picture panel: a child window with its own background picture.
class SkinPanel : public QWidget {
    Q_OBJECT
public:
    explicit SkinPanel(QWidget *parent);
    void setBackground(const QPixmap &picture)
    {
        m_background = picture;
        m_makeBackground = nullptr;
        update();
    }
    // The background made only when the panel is first painted: a panel that
    // starts hidden costs nothing until it is shown.
    void setBackground(std::function<QPixmap()> makePicture)
    {
        m_background = QPixmap();
        m_makeBackground = std::move(makePicture);
        update();
    }
    void setFramed(bool framed) { m_framed = framed; update(); }

signals:
    void pressed(QPointF pos);
    void dragged(QPointF pos);   // moved with a button held, after a press on the panel
    void released(QPointF pos);
    void wheeled(QPointF pos, QPoint angleDelta, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void wheelEvent(QWheelEvent *) override;

private:
    QPixmap m_background;
    std::function<QPixmap()> m_makeBackground;
    bool m_framed = false;
};
