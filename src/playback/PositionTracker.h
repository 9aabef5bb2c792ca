#pragma once

#include "model/EditorModel.h"
#include "playback/PlaybackDevice.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>

// The position timer: ten times a second it asks the device for length and
// position, puts them into the model's play state and stops a selection
// preview at the selection end. It learns what the device does only by asking;
// the device never notifies. The open file's length is not its business: the
// open flow puts it into the editor state when the decode ends.
class PositionTracker : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 100;

    PositionTracker(EditorModel &model, PlaybackDevice &device, QObject *parent = nullptr);

    // Starts the timer; it runs until the program ends, paused only while a
    // play marker is held.
    void start();
    void setEnabled(bool enabled);
    bool isEnabled() const;

    // One tick, also callable directly.
    void tick();

signals:
    // A tick has put what the device says into the model (the play head
    // follows it on each tick, even when nothing changed).
    void ticked();

private:
    void stopAtSelectionEnd();

    EditorModel &m_model;
    PlaybackDevice &m_device;
    QTimer m_timer;
};
