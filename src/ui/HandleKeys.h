#pragma once

#include "ui/EditHistory.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>

class QKeyEvent;
class QWidget;
class SelectionHandles;

// The keyboard on a focused selection handle: Left and Right move its mark by
// 10 ms, with Shift by 100 ms, with Ctrl by a second; Home and End take it to
// the file's start and end, never past the other mark. These keys reach the
// handle before the window's own (which move the play position). A key held
// down, its repeats included, is one step to undo.
class HandleKeys : public QObject {
    Q_OBJECT
public:
    static constexpr std::int64_t StepMs = 10;
    static constexpr std::int64_t ShiftStepMs = 100;
    static constexpr std::int64_t CtrlStepMs = 1000;

    // The grips that take the focus for the start and the end mark.
    HandleKeys(SelectionHandles &handles, EditHistory &history, QWidget *startGrip, QWidget *endGrip,
               QObject *parent = nullptr);
    ~HandleKeys() override;

    // Where a key takes a mark now at ms in a file lengthMs long; nothing for
    // a key that is not one of these.
    static std::optional<std::int64_t> target(const QKeyEvent &key, std::int64_t ms, std::int64_t lengthMs);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    SelectionHandles &m_handles;
    EditHistory &m_history;
    QWidget *m_grips[2];
    std::unique_ptr<EditHistory::Gesture> m_held;  // while a key is held down
};
