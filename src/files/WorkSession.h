#pragma once

#include "files/PrivateFolder.h"

#include <QString>
#include <QStringList>

// This running program's own corner of the per-user working folder, so that
// two programs never share a working WAV.
//
// The working folder is used only when it is a private folder of this user
// (see private_folder). Inside it a program owns the folder
// "session-<pid>-<random>" and, beside it, the lock file of the same name with
// ".lock" appended, on which it holds an exclusive flock() for as long as it
// runs. The kernel drops the lock when the process ends in any way, so a lock
// file that can be locked belongs to a program that is no longer running: its
// folder is stale. Names are never reused, and a lock file only ever appears
// under its final name already locked (it is made and locked under a hidden
// name and then linked, which never replaces anything), so a program that is
// starting is never taken for a dead one. A clean-up removes a folder only
// while it holds the lock of the very lock file that is at the name.
//
// The session folder also keeps the ledger of named temporary files its saves
// made elsewhere (see OutputFile); the clean-up of a dead program removes
// those too.
class WorkSession {
public:
    // Makes the working folder when missing (mode 0700), removes the folders
    // of programs that no longer run, and claims a folder for this program.
    // When the working folder is not private or nothing can be written,
    // folder() still names where the working WAV would be, isHeld() is false,
    // and problem() says why.
    explicit WorkSession(const QString &workFolder);
    // Removes this program's folder and lock file.
    ~WorkSession();
    WorkSession(const WorkSession &) = delete;
    WorkSession &operator=(const WorkSession &) = delete;

    QString folder() const { return m_folder; }
    bool isHeld() const { return m_lockFd >= 0; }
    private_folder::Problem problem() const { return m_problem; }
    QString workFolder() const { return m_workFolder; }
    // The ledger file inside this program's folder.
    QString ledger() const { return m_folder + QStringLiteral("/partials"); }

    // Removes the folder with everything in it and gives up the lock. Safe to
    // call more than once.
    void release();

    // Removes the session folders in workFolder whose programs no longer run
    // (and the temporary files their ledgers name) and returns their names.
    // Anything else in the folder is left alone; a link is never followed.
    static QStringList removeStale(const QString &workFolder);

private:
    QString m_workFolder;
    QString m_folder;
    QString m_lockPath;
    int m_lockFd = -1;
    private_folder::Problem m_problem = private_folder::Problem::None;
};
