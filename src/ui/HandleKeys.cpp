#include "ui/HandleKeys.h"

#include "model/EditorModel.h"
#include "ui/SelectionHandles.h"

#include <QKeyEvent>
#include <QWidget>

HandleKeys::HandleKeys(SelectionHandles &handles, EditHistory &history, QWidget *startGrip, QWidget *endGrip,
                       QObject *parent)
    : QObject(parent), m_handles(handles), m_history(history), m_grips{startGrip, endGrip}
{
    for (QWidget *grip : m_grips) {
        if (grip)
            grip->installEventFilter(this);
    }
}

HandleKeys::~HandleKeys() = default;

std::optional<std::int64_t> HandleKeys::target(const QKeyEvent &key, std::int64_t ms, std::int64_t lengthMs)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier && key.key() == Qt::Key_Home)
        return 0;
    if (modifiers == Qt::NoModifier && key.key() == Qt::Key_End)
        return lengthMs;
    if (key.key() != Qt::Key_Left && key.key() != Qt::Key_Right)
        return std::nullopt;
    std::int64_t step = 0;
    if (modifiers == Qt::NoModifier)
        step = StepMs;
    else if (modifiers == Qt::ShiftModifier)
        step = ShiftStepMs;
    else if (modifiers == Qt::ControlModifier)
        step = CtrlStepMs;
    else
        return std::nullopt;
    return key.key() == Qt::Key_Left ? ms - step : ms + step;
}

bool HandleKeys::eventFilter(QObject *watched, QEvent *event)
{
    const int handle = watched == m_grips[0] ? SelectionHandles::Start : watched == m_grips[1] ? SelectionHandles::End : -1;
    if (handle < 0)
        return false;
    // Where a key takes the handle's mark; read only for keys, as the grips
    // outlive the handles when the window closes.
    const auto targetOf = [this, handle](const QKeyEvent &key) {
        const EditorModel &model = m_handles.model();
        const Marks &marks = model.marks();
        return target(key, handle == SelectionHandles::Start ? marks.startMs : marks.endMs.value_or(0),
                      model.lengthMs());
    };
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Ours before the window's shortcuts for the same keys.
        if (targetOf(*static_cast<QKeyEvent *>(event))) {
            event->accept();
            return true;
        }
        return false;
    case QEvent::KeyPress: {
        const std::optional<std::int64_t> to = targetOf(*static_cast<QKeyEvent *>(event));
        if (!to)
            return false;
        if (!m_held)
            m_held = std::make_unique<EditHistory::Gesture>(m_history);
        m_handles.moveMark(handle, *to);
        return true;
    }
    case QEvent::KeyRelease:
        if (!static_cast<QKeyEvent *>(event)->isAutoRepeat())
            m_held.reset();
        return false;
    case QEvent::FocusOut:
        m_held.reset();
        return false;
    default:
        return false;
    }
}
