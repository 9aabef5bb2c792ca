#pragma once

#include "ui/ToolbarActions.h"

#include <QString>
#include <functional>

class MessageSeam;

// The popup menus reach the main window through a command slot: each entry
// writes its command word, and every write is dispatched once, by exact word.
class CommandChannel {
public:
    struct Actions {
        std::function<void(ToolbarActions::Button)> toolbar;  // a press of a toolbar button
        std::function<void()> exit;         // the window's close, with its question
        std::function<void()> viewAll;      // the time line shows the whole file
        std::function<void()> viewSelection;  // the time line shows the selection
        std::function<void(const QString &)> shape;  // a fade or loudness item was chosen
        std::function<void()> closeFile;    // the open file is closed, with its question
        std::function<void(int)> openRecent;  // entry N of the recent files is opened
        std::function<void()> undo;         // the last change of the marks or shaping is taken back
        std::function<void()> redo;         // the last change taken back is made again
        std::function<void()> loop;         // the selection loops, or stops looping
    };

    CommandChannel(MessageSeam &messages, Actions actions);

    void write(const QString &commandWord);  // a menu entry was chosen
    const QString &lastWord() const { return m_word; }

    static QString aboutText();

private:
    void dispatch();

    MessageSeam &m_messages;
    QString m_word;  // the word written last
    Actions m_actions;
};
