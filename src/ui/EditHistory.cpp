#include "ui/EditHistory.h"

#include "model/EditorModel.h"

#include <QUndoCommand>

#include <algorithm>

// One step: the values before and after it.
class EditStep : public QUndoCommand {
public:
    EditStep(EditHistory &history, EditState before, EditState after)
        : m_history(history), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    // The stack redoes a step as it is pushed; the model holds it already.
    void redo() override
    {
        if (m_pushed)
            m_history.apply(m_after);
        m_pushed = true;
    }
    void undo() override { m_history.apply(m_before); }

private:
    EditHistory &m_history;
    EditState m_before;
    EditState m_after;
    bool m_pushed = false;
};

EditHistory::EditHistory(EditorModel &model, std::function<void()> shown, QObject *parent)
    : QObject(parent), m_model(model), m_shown(std::move(shown)), m_known(current()),
      m_source(model.media() ? model.media()->sourcePath : QString())
{
    connect(&model, &EditorModel::marksChanged, this, &EditHistory::changed);
    connect(&model, &EditorModel::shapingChanged, this, &EditHistory::changed);
    connect(&model, &EditorModel::mediaChanged, this, &EditHistory::mediaChanged);
}

EditHistory::~EditHistory() = default;

EditState EditHistory::current() const
{
    return EditState{m_model.marks(), m_model.shaping()};
}

void EditHistory::changed()
{
    if (m_applying || m_gestures > 0)
        return;
    const EditState now = current();
    if (now == m_known)
        return;
    m_stack.push(new EditStep(*this, m_known, now));
    m_known = now;
}

void EditHistory::mediaChanged()
{
    // The model has taken the new file's marks before it says so.
    const QString source = m_model.media() ? m_model.media()->sourcePath : QString();
    if (source != m_source) {
        m_stack.clear();
        m_source = source;
    }
    m_known = current();
}

void EditHistory::apply(const EditState &state)
{
    m_applying = true;
    Marks marks = state.marks;
    const std::int64_t length = m_model.lengthMs();
    marks.startMs = std::min(marks.startMs, length);
    if (marks.endMs)
        marks.endMs = std::min(*marks.endMs, length);
    m_model.setMarks(marks);
    m_model.setShaping(state.shaping);
    m_known = current();
    m_applying = false;
    if (m_shown)
        m_shown();
}

void EditHistory::undo()
{
    if (m_gestures == 0)
        m_stack.undo();
}

void EditHistory::redo()
{
    if (m_gestures == 0)
        m_stack.redo();
}

EditHistory::Gesture::Gesture(EditHistory &history) : m_history(history)
{
    ++m_history.m_gestures;
}

EditHistory::Gesture::~Gesture()
{
    if (--m_history.m_gestures == 0)
        m_history.changed();
}
