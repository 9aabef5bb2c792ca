#pragma once

#include "playback/PlaybackDevice.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

// A playback device for tests: it plays nothing, records every command text in
// the order it arrives, and answers as the test scripts it.
//
//   RecordingDevice device;
//   device.setLength(180000);          // "status sound length" answers "180000"
//   device.setPosition(45000);         // "status sound position" answers "45000"
//   device.rejectCommandsStartingWith("play sound from");
//   ... run the code under test ...
//   QCOMPARE(device.commands, QStringList({"stop sound", "close sound"}));
//
// By default every command is accepted and answers an empty text, except the
// scripted replies and an "open" naming no file (what GetShortName gives for a
// missing one), which is rejected. A rejected command is still recorded (it was sent), answers
// an empty text and reports ok = false, as the real device does. It keeps track of
// whether something is open ("open ..." accepted, "close sound" accepted) and can
// be told to refuse the status queries while nothing is open, like the real one.
class RecordingDevice : public PlaybackDevice {
public:
    QString send(const QString &command, bool *ok = nullptr) override;

    // Every command text sent, in order. Tests may clear it between steps.
    QStringList commands;

    // The reply for an exact command text; replaces an earlier one.
    void setReply(const QString &command, const QString &reply);
    void setLength(qint64 milliseconds);    // reply to "status sound length"
    void setPosition(qint64 milliseconds);  // reply to "status sound position"
    void clearReplies();

    // Commands whose text starts with prefix are rejected from now on.
    void rejectCommandsStartingWith(const QString &prefix);
    void acceptAllCommands();

    // When true, the two status queries are rejected while nothing is open.
    void setStatusNeedsOpenDevice(bool needsOpen) { statusNeedsOpen_ = needsOpen; }
    bool isOpen() const { return open_; }
    // Starts as if the device had been opened earlier (or not).
    void setOpen(bool open) { open_ = open; }

    // Called with each command after it is recorded and before it is answered;
    // lets a test look at the program's state at the moment of a command, or
    // change the script in the middle of a sequence.
    std::function<void(const QString &command)> onSend;

    // How often exactly this command text was sent.
    int count(const QString &command) const { return commands.count(command); }

private:
    bool isRejected(const QString &command) const;

    QHash<QString, QString> replies_;
    QStringList rejectedPrefixes_;
    bool statusNeedsOpen_ = false;
    bool open_ = false;
};
