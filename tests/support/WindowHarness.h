#pragma once

#include "Skin.h"
#include "files/Paths.h"
#include "support/DesktopFakes.h"
#include "support/RecordingMessages.h"
#include "app/MainController.h"
#include "ui/MainWindow.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

class PlaybackDevice;
class SkinImage;

// The real main window, in-process, with its own program folder (holding the
// built adapter as data/coder), working folder and config folder, and with the
// desktop answered by fakes. The playback device is the real one unless a test
// passes its own.
class WindowHarness {
public:
    // `prepare` runs after the folders are laid out and before the window is
    // made, so a test can put files where start-up will look (or point a
    // folder elsewhere, e.g. two windows at one working folder). Once the
    // window is made, `paths` is the window's own, session folder included.
    explicit WindowHarness(PlaybackDevice *device = nullptr,
                           const std::function<void(Paths &)> &prepare = {});
    ~WindowHarness();

    Paths paths;
    RecordingMessages messages;
    RecordingShell shell;
    ScriptedChooser chooser;
    int ended = 0;  // how often the window ended the program
    PlaybackDevice &device() { return *m_device; }
    MainWindow &window() { return *m_window; }
    MainController &controller() { return static_cast<MainController &>(m_window->controls()); }
    EditorModel &model() { return controller().model(); }
    TimelineFace &timeline() { return controller().timelineFace(); }
    // Names the open file's source (and title), keeping its length and marks,
    // as though that file had been opened.
    void setSource(const QString &path, const QString &title = {});
    // What a caption of the window shows now (lblSelBegin, lblPB, ...).
    QString caption(const QString &key) const;
    // Whether an element of the window is shown (picOpened, picPBBack, ...).
    bool shown(const QString &key) const;

    SkinImage *image(const QString &key) const;
    // A left click at the middle of an element, as the user makes it. Returns
    // once no job runs any more (see waitForJobs), as a user waits for one.
    void click(const QString &key);
    // Press on an element at a pixel offset, drag by dx pixels, release.
    void drag(const QString &key, QPoint at, int dx);
    // Waits (pumping events) until neither a decode nor a cut runs and the
    // end of the last one has been handled.
    void waitForJobs();
    // Waits (pumping events) until the condition holds or the time runs out.
    static bool waitFor(const std::function<bool()> &condition, int milliseconds);

private:
    QTemporaryDir m_root;
    std::unique_ptr<PlaybackDevice> m_ownDevice;
    PlaybackDevice *m_device;
    std::unique_ptr<Skin> m_skin;
    std::unique_ptr<MainWindow> m_window;
};
