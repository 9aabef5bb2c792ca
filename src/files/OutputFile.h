#pragma once

#include "files/UniqueFd.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// A file that a job writes and that gets its final name only once it is proven
// whole. It is created so that nothing else can be at its name: an unnamed
// file in the destination's folder (O_TMPFILE), which vanishes with the last
// process holding it, so a killed job leaves nothing behind; where the file
// system has no unnamed files, a new file under an unpredictable hidden name,
// created with O_EXCL|O_NOFOLLOW and recorded in a ledger so that the next
// start can remove it after a kill. Nothing that exists is ever truncated or
// followed, and no temporary name is longer than 16 bytes.
//
// Publishing gives the file the destination's name in one step, and only when
// the destination is still what it was when the job began: a file another save
// put there meanwhile is never replaced (the race is lost, and said so). Saves
// of this program to one folder publish one at a time (a lock on the folder).
class OutputFile {
public:
    enum class Outcome { Published, LostRace, Failed };

    OutputFile() = default;
    // Removes the file unless it was published.
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Creates the file for `destination`. The ledger, when given, is a file in
    // a private folder that records any named temporary file before it exists.
    // False with error() set when nothing could be created. allowUnnamed
    // false takes the named way even where unnamed files exist.
    bool create(const QString &destination, const QString &ledger = {}, bool allowUnnamed = true);

    // The path a child process that inherits fd() opens the file by, and the
    // descriptor it must inherit.
    QString writerPath() const;
    int fd() const { return m_file.get(); }

    // Makes the proven file the destination. Failed sets error().
    Outcome publish();
    // Removes the file (if still unnamed or under its temporary name).
    void discard();

    int error() const { return m_error; }
    // A hidden temporary name this file has or had in the destination's folder;
    // empty for an unnamed file. For tests.
    QByteArray temporaryName() const { return m_temporaryName; }

    // Removes the named temporary files a ledger records, where they are still
    // this user's regular files (and the same files, where recorded). Returns
    // how many were removed.
    static int removeRecorded(int ledgerFolderFd, const QByteArray &ledgerName);

private:
    struct Identity {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        bool operator==(const Identity &) const = default;
    };
    Identity identityAtDestination() const;
    bool createNamed(QByteArray &name);
    bool linkUnnamedAs(const QByteArray &name);
    bool copyToNamed(QByteArray &name);
    bool record(const QByteArray &name, const UniqueFd *file);
    // Gives the unnamed file a hidden name of its own (a link, else a copy);
    // 0, or the error that kept it from one.
    int nameUnnamed();
    // The hidden name becomes the destination's, over an existing file only
    // when `replace` says one is there.
    Outcome renameOver(bool replace);
    Outcome fail(int error);

    UniqueFd m_folder;
    UniqueFd m_file;
    QString m_folderPath;
    QByteArray m_destinationName;
    QString m_ledger;
    Identity m_atStart;
    QByteArray m_temporaryName;  // set while a named temporary file exists
    bool m_unnamed = false;
    bool m_published = false;
    int m_error = 0;
};
