#pragma once

#include "model/Seams.h"

#include <QList>
#include <QStringList>
#include <QUrl>
#include <functional>

// Fakes for the desktop seams: they remember what the program asked for and
// answer as the test says.

class RecordingShell : public ShellSeam {
public:
    bool openUrl(const QUrl &url) override
    {
        opened.append(url);
        return answer;
    }
    QList<QUrl> opened;
    bool answer = true;  // false: no desktop handler took the address
};

class RecordingWindow : public WindowSeam {
public:
    void showSettingsDialog() override { ++settingsShown; }
    void requestClose() override { ++closeRequests; }
    void minimise() override { ++minimised; }
    int settingsShown = 0;
    int closeRequests = 0;
    int minimised = 0;
};

// Answers each file dialog with the next scripted path ("" = the user cancelled)
// and keeps every request it saw.
class ScriptedChooser : public FileChooserSeam {
public:
    QString choose(const FileChoice &choice) override
    {
        requests.append(choice);
        if (onChoose)
            onChoose(choice);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QStringList answers;
    QList<FileChoice> requests;
    std::function<void(const FileChoice &)> onChoose;
};
