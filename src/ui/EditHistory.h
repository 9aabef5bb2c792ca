#pragma once

#include "model/CutShaping.h"
#include "model/Selection.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <functional>

class EditorModel;

// What undo and redo bring back: the marks and the shaping choices.
struct EditState {
    Marks marks;
    CutShaping shaping;

    bool operator==(const EditState &) const = default;
};

// Undo and redo for the open file's marks and shaping choices. Every change
// the model reports becomes one step, whoever made it (a handle let go, a
// typed time, a mark at the play position, a drag on the waveform, a fade or
// loudness choice); a gesture that changes them several times on the way
// (the random selection's tries) is held open and becomes one step when it
// ends, or none if it ends where it began. Opening or closing a file starts a
// new history; a file better known (its true length) keeps it.
class EditHistory : public QObject {
    Q_OBJECT
public:
    // shown runs after an undo or redo has put values back, for the time line
    // to show them.
    EditHistory(EditorModel &model, std::function<void()> shown, QObject *parent = nullptr);
    ~EditHistory() override;

    void undo();
    void redo();
    bool canUndo() const { return m_stack.canUndo(); }
    bool canRedo() const { return m_stack.canRedo(); }
    int steps() const { return m_stack.count(); }

    // Holds the changes made until the last holder lets go as one step.
    class Gesture {
    public:
        explicit Gesture(EditHistory &history);
        ~Gesture();
        Gesture(const Gesture &) = delete;
        Gesture &operator=(const Gesture &) = delete;

    private:
        EditHistory &m_history;
    };

private:
    friend class EditStep;
    EditState current() const;
    void changed();
    void mediaChanged();
    // Puts a state back through the model's setters, the marks fitted to the
    // open file (a decode that ended shorter than announced).
    void apply(const EditState &state);

    EditorModel &m_model;
    std::function<void()> m_shown;
    QUndoStack m_stack;
    EditState m_known;     // the values the last step left
    QString m_source;      // the file the history belongs to
    int m_gestures = 0;    // gestures held open
    bool m_applying = false;
};
