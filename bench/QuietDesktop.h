#pragma once

// A desktop that answers the program without a person: every message is
// printed and taken as OK, the file dialog gives `chosen`, and the playback
// device refuses everything (no sound is wanted while measuring).

#include "files/Paths.h"
#include "model/Seams.h"
#include "playback/PlaybackDevice.h"

#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace bench {

struct QuietDesktop : MessageSeam, ShellSeam, WindowSeam, FileChooserSeam, PlaybackDevice {
    QString chosen;
    std::function<void()> onChoose;  // the user has just pressed Open
    MessageAnswer show(const QString &text, const QString &, MessageButtons, MessageIcon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return MessageAnswer::Ok;
    }
    bool openUrl(const QUrl &) override { return true; }
    void showSettingsDialog() override {}
    void requestClose() override {}
    void minimise() override {}
    QString choose(const FileChoice &) override
    {
        if (onChoose)
            onChoose();
        return chosen;
    }
    QString send(const QString &, bool *ok) override
    {
        if (ok)
            *ok = false;
        return {};
    }
};

// The program's folders for a benchmark: the built adapter, and a working
// and a config folder inside `folder`.
inline Paths pathsIn(const QTemporaryDir &folder)
{
    Paths paths;
    paths.programFolder = QStringLiteral(BRINDLEWAVE_BUILD_DIR);
    paths.workFolder = folder.filePath(QStringLiteral("work"));
    paths.configFolder = folder.filePath(QStringLiteral("config"));
    return paths;
}

}  // namespace bench
