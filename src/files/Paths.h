#pragma once

#include <QString>

// Where the program finds its own files and keeps its working files. Tests point
// these elsewhere through the environment (XDG_CACHE_HOME, XDG_CONFIG_HOME) or by
// constructing Paths with explicit folders.
struct Paths {
    QString programFolder;  // folder of the executable; data/coder and sound.wav live here
    QString workFolder;     // per-user working folder, holds one session folder per running program
    QString sessionFolder;  // this program's own folder inside workFolder (see WorkSession)
    QString configFolder;   // fallback home of setup.ini when programFolder is read-only

    // The running program's folders: its executable's folder,
    // $XDG_CACHE_HOME/brindlewave (default ~/.cache/brindlewave) and
    // $XDG_CONFIG_HOME/brindlewave (default ~/.config/brindlewave).
    static Paths forThisProgram();

    QString coder() const { return programFolder + QStringLiteral("/data/coder"); }
    // The working WAV lives in this program's session folder; without one
    // (a Paths made by hand) directly in the working folder.
    QString workWav() const
    {
        return (sessionFolder.isEmpty() ? workFolder : sessionFolder) + QStringLiteral("/open.wav");
    }
    QString completionSound() const { return programFolder + QStringLiteral("/sound.wav"); }
    // setup.ini in the program folder, unless that folder cannot be written to.
    QString settingsFile() const;
    // brindlewave.conf in the per-user config folder: what the program
    // remembers beyond setup.ini (how ringtones are shaped, the last save).
    QString configFile() const { return configFolder + QStringLiteral("/brindlewave.conf"); }
    // The ledger of named temporary files this program's saves make (see
    // OutputFile), in its session folder; empty without a session folder.
    QString ledgerFile() const
    {
        return sessionFolder.isEmpty() ? QString() : sessionFolder + QStringLiteral("/partials");
    }
    // Creates the working folder and the session folder (mode 0700) when they
    // are missing (unless create is false) and checks that both are private
    // folders of this user that can be written to. Empty when they can hold
    // the working WAV; otherwise why not, naming the folder, in the program's
    // language.
    QString workFolderProblem(bool create = true) const;
    // Whether destination lies inside the working folder (through links and
    // other spellings alike), where no program's output belongs.
    bool isInsideWorkFolder(const QString &destination) const;
};
