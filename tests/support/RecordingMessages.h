#pragma once

#include "model/Seams.h"

#include <QList>
#include <QString>
#include <QStringList>

// A message box that nobody has to click: records every message and answers
// with the next queued answer, or with defaultAnswer once the queue is empty.
struct RecordedMessage {
    QString text;
    QString title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
};

class RecordingMessages : public MessageSeam {
public:
    MessageAnswer show(const QString &text, const QString &title, MessageButtons buttons,
                       MessageIcon icon) override
    {
        messages.append(RecordedMessage{text, title, buttons, icon});
        if (!queuedAnswers.isEmpty())
            return queuedAnswers.takeFirst();
        return defaultAnswer;
    }

    QStringList texts() const
    {
        QStringList all;
        for (const RecordedMessage &m : messages)
            all.append(m.text);
        return all;
    }
    qsizetype count() const { return messages.size(); }
    bool isEmpty() const { return messages.isEmpty(); }
    const RecordedMessage &last() const { return messages.last(); }
    void clear() { messages.clear(); }

    QList<RecordedMessage> messages;
    QList<MessageAnswer> queuedAnswers;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};
