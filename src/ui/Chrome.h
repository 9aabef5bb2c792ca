#pragma once

#include <QObject>
#include <QString>
#include <array>

// The hover and press feedback of the skinned main window: which hot spot shows
// its lit or pressed picture, the hint line, and whether a button is held. The widgets
// forward pointer events here and draw the lights and the hint this object
// reports.
class Chrome : public QObject {
    Q_OBJECT
public:
    enum class Light : std::uint8_t { Clear, Lit, Pressed };

    using QObject::QObject;

    // What the element under the pointer does; empty over the bare face.
    const QString &hint() const { return m_hint; }
    bool isButtonPressed() const { return m_buttonPressed; }

    // pointer movement over the bare window face
    void faceMoved();
    // The pointer left a lit element for somewhere that says nothing (the
    // time line): as faceMoved, unless a button is held.
    void pointerLeft();

    void toolbarPressed(int index);
    void toolbarMoved(int index, const QString &toolTip);
    void toolbarReleased(int index);

    void transportPressed(int index);
    void transportMoved(int index, const QString &toolTip);
    void transportReleased(int index);

    void menuMoved(int index);
    void minimiseMoved(const QString &toolTip);
    void closeMoved();
    void quickStartMoved();

    std::array<Light, 8> toolbar{};
    std::array<Light, 8> transport{};
    std::array<Light, 5> menu{};
    Light minimise = Light::Clear;
    Light close = Light::Clear;
    Light quickStart = Light::Clear;

signals:
    void changed();

private:
    void setHint(const QString &text);

    QString m_hint;
    bool m_buttonPressed = false;  // a toolbar or transport button is held
};
