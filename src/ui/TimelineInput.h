#pragma once

#include <QObject>
#include <QPointF>

#include "ui/EditHistory.h"

#include <memory>

class EditorModel;
class SelectionHandles;
class SkinPanel;
class TimelineView;

// The pointer on the time-line panel: a press released without moving more
// than a few pixels is a click, which seeks (the markers' flow plays from
// there); moving further with the button held selects from the press to the
// pointer without touching playback, or, on the ruler, drags the stretch on
// view along. The wheel zooms around the pointer and, with Shift or sideways,
// scrolls.
class TimelineInput : public QObject {
    Q_OBJECT
public:
    // Pixels the pointer may wander before a held press becomes a drag.
    static constexpr double DragThresholdPx = 4.0;
    // Top and bottom of the ruler strip, in panel pixels.
    static constexpr double RulerTopPx = 297.0;
    static constexpr double RulerBottomPx = 317.0;

    // A drag that selects is one step of history.
    TimelineInput(const EditorModel &model, TimelineView &view, SelectionHandles &handles, SkinPanel &panel,
                  EditHistory &history, QObject *parent = nullptr);
    ~TimelineInput() override;

signals:
    // A press released as a click, at the press's point in panel pixels.
    void clicked(QPointF pos);

private:
    void pressed(QPointF pos);
    void dragged(QPointF pos);
    void released();
    void wheeled(QPointF pos, QPoint angleDelta, Qt::KeyboardModifiers modifiers);

    const EditorModel &m_model;
    TimelineView &m_view;
    SelectionHandles &m_handles;
    EditHistory &m_history;
    std::unique_ptr<EditHistory::Gesture> m_selecting;  // held while a drag selects
    bool m_held = false;
    bool m_dragging = false;
    bool m_onRuler = false;
    QPointF m_pressAt;
    std::int64_t m_pressMs = 0;
    double m_viewStartAtPress = 0.0;
};
