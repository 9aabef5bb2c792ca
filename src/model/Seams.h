#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// Small interfaces for everything that would otherwise need a person or the
// desktop. The program uses the real ones (src/ui); tests answer them.

enum class MessageIcon { None, Critical, Warning, Information };
enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

class MessageSeam {
public:
    virtual ~MessageSeam() = default;
    virtual MessageAnswer show(const QString &text, const QString &title,
                               MessageButtons buttons, MessageIcon icon) = 0;
};

// Opens folders, mail links and web pages with the desktop's own programs.
class ShellSeam {
public:
    virtual ~ShellSeam() = default;
    virtual bool openUrl(const QUrl &url) = 0;
};

// One file chooser call. Filters are Qt name filters ("MP3 格式(*.mp3)").
struct FileChoice {
    QString title;
    QString folder;          // starting folder
    QString initialName;     // name in the name box ("" for none)
    QStringList filters;
    int selectedFilter = 0;  // index into filters
    bool save = false;       // save dialog (else open: the file must exist)
};

class FileChooserSeam {
public:
    virtual ~FileChooserSeam() = default;
    // Returns the chosen path, or an empty string when the user cancelled.
    virtual QString choose(const FileChoice &choice) = 0;
};

// What the flows need of the windows themselves.
class WindowSeam {
public:
    virtual ~WindowSeam() = default;
    virtual void showSettingsDialog() = 0;   // the one non-modal settings dialog
    virtual void requestClose() = 0;         // runs the shutdown question
    virtual void minimise() = 0;
};
