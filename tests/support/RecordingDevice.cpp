#include "support/RecordingDevice.h"

QString RecordingDevice::send(const QString &command, bool *ok)
{
    commands.append(command);
    if (onSend)
        onSend(command);

    const bool isStatus = command.startsWith(QLatin1String("status sound "));
    // Like the real device, an "open" naming no file is refused.
    const bool emptyOpen = command == QLatin1String("open  alias sound");
    const bool accepted = !isRejected(command) && !emptyOpen
        && !(isStatus && statusNeedsOpen_ && !open_);
    if (ok)
        *ok = accepted;
    if (!accepted)
        return QString();

    // only the open file's alias; the completion sound has its own
    if (command.startsWith(QLatin1String("open ")) && command.endsWith(QLatin1String(" alias sound")))
        open_ = true;
    else if (command == QLatin1String("close sound"))
        open_ = false;
    return replies_.value(command);
}

void RecordingDevice::setReply(const QString &command, const QString &reply)
{
    replies_.insert(command, reply);
}

void RecordingDevice::setLength(qint64 milliseconds)
{
    setReply(QStringLiteral("status sound length"), QString::number(milliseconds));
}

void RecordingDevice::setPosition(qint64 milliseconds)
{
    setReply(QStringLiteral("status sound position"), QString::number(milliseconds));
}

void RecordingDevice::clearReplies()
{
    replies_.clear();
}

void RecordingDevice::rejectCommandsStartingWith(const QString &prefix)
{
    rejectedPrefixes_.append(prefix);
}

void RecordingDevice::acceptAllCommands()
{
    rejectedPrefixes_.clear();
}

bool RecordingDevice::isRejected(const QString &command) const
{
    for (const QString &prefix : rejectedPrefixes_) {
        if (command.startsWith(prefix))
            return true;
    }
    return false;
}
