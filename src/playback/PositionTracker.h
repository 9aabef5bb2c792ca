#pragma once

#include "model/EditorState.h"
#include "app/MainFace.h"
#include "playback/PlaybackDevice.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>

// The position timer (Timer2): ten times a second it asks the device for length
// and position, moves the play head, shows the play time and stops a selection
// preview at the selection end. It learns what the device does only by asking;
// the device never notifies. The open file's length is not its business: the
// open flow puts it into the editor state when the decode ends.
class PositionTracker : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 100;

    PositionTracker(EditorState &state, MainFace &face, PlaybackDevice &device,
                    QObject *parent = nullptr);

    // Starts the timer; it runs until the program ends, paused only while a
    // play marker is held.
    void start();
    void setEnabled(bool enabled);
    bool isEnabled() const;

    // One tick, also callable directly.
    void tick();

private:
    void showPlayHeadAt(float x, bool &changed);
    void showPlayTime(std::int64_t ms, bool &changed);
    void stopAtSelectionEnd();

    EditorState &state_;
    MainFace &face_;
    PlaybackDevice &device_;
    QTimer timer2_;

    // Texts last written, so an unchanged tick neither formats nor allocates.
    std::int64_t shownPlayTenths_ = -1;
    QString shownTimeText_;
};
