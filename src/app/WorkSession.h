#pragma once

#include <QString>
#include <QStringList>

// This running program's own corner of the per-user working folder, so that
// two programs never share a working WAV.
//
// Inside the working folder a program owns the folder "session-<pid>-<n>" and,
// beside it, the lock file of the same name with ".lock" appended, on which it
// holds an exclusive flock() for as long as it runs. The kernel drops the lock
// when the process ends in any way, so a lock file that can be locked belongs
// to a program that is no longer running: its folder is stale. A lock file
// only ever appears under its final name already locked (it is locked under a
// temporary name and then renamed), so a program that is starting is never
// taken for a dead one.
class WorkSession {
public:
    // Makes the working folder when missing (mode 0700), removes the folders
    // of programs that no longer run, and claims a folder for this program.
    // When nothing can be written, folder() still names where the working WAV
    // would be, and isHeld() is false: the decode then fails with its own
    // message.
    explicit WorkSession(const QString &workFolder);
    // Removes this program's folder and lock file.
    ~WorkSession();
    WorkSession(const WorkSession &) = delete;
    WorkSession &operator=(const WorkSession &) = delete;

    QString folder() const { return m_folder; }
    bool isHeld() const { return m_lockFd >= 0; }

    // Removes the folder with everything in it and gives up the lock. Safe to
    // call more than once.
    void release();

    // Removes the session folders in workFolder whose programs no longer run
    // and returns their names. Anything else in the folder is left alone.
    static QStringList removeStale(const QString &workFolder);

private:
    QString m_folder;
    QString m_lockPath;
    int m_lockFd = -1;
};
