#pragma once

#include "model/EditorState.h"

#include <QObject>
#include <array>

class MainFace;

// The hover and press feedback of the skinned main window: which hot spot shows
// its lit or pressed picture, the hint line, and ButtonPressed. The widgets
// forward pointer events here and draw the lights this object reports.
class Chrome : public QObject {
    Q_OBJECT
public:
    enum class Light : std::uint8_t { Clear, Lit, Pressed };

    Chrome(EditorState &state, MainFace &face, QObject *parent = nullptr);

    // pointer movement over the bare window face
    void faceMoved();

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
    std::array<Light, 7> transport{};
    std::array<Light, 4> menu{};
    Light minimise = Light::Clear;
    Light close = Light::Clear;
    Light quickStart = Light::Clear;

signals:
    void changed();

private:
    void setHint(const QString &text);

    EditorState &m_state;
    MainFace &m_face;
};
