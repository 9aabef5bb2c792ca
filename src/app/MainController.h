#pragma once

#include "app/Chrome.h"
#include "app/CommandChannel.h"
#include "model/EditorState.h"
#include "app/MainFace.h"
#include "files/Paths.h"
#include "files/WorkSession.h"
#include "pipeline/ProcessRunner.h"
#include "pipeline/FlowContext.h"
#include "pipeline/OpenFlow.h"
#include "pipeline/SaveFlow.h"
#include "pipeline/ToolbarActions.h"
#include "playback/PlayMarkers.h"
#include "playback/PlaybackController.h"
#include "playback/PositionTracker.h"
#include "playback/SelectionHandles.h"
#include "playback/TimelineView.h"
#include "settings/FileDialogs.h"

#include <QObject>
#include <memory>

class MessageSeam;
class ShellSeam;
class WindowSeam;
class FileChooserSeam;
class PlaybackDevice;

// Everything behind the main window that is not a widget: the editor state, the
// window's face, the two runners, the file dialog service, playback, the time
// line and the flows, wired together. The window forwards its events here.
class MainController : public QObject {
    Q_OBJECT
public:
    struct Seams {
        MessageSeam &messages;
        ShellSeam &shell;
        WindowSeam &window;
        FileChooserSeam &chooser;
        PlaybackDevice &device;
    };

    // A controller ready to use: the settings read, the runners, the dialog
    // service and the flows made, the working folder claimed and checked.
    MainController(const Paths &paths, Seams seams, QObject *parent = nullptr);
    ~MainController() override;
    // The unload step. False when the user keeps the program running; true when
    // playback is closed, running jobs are ended and the working WAV is gone.
    bool shutDown();
    // The same end without the question, for an end asked from outside (a
    // termination signal): running jobs are ended and their partial outputs
    // and the working WAV removed.
    void endWithoutQuestion();
    bool isEnding() const { return m_ending; }
    // How ringtones are shaped from now on; remembered for the next run.
    void setShaping(const CutShaping &shaping);
    // Stops the running cut, else the running decode (Escape, or the cancel
    // button beside its progress bar). False when neither runs.
    bool cancelJob();
    SaveFlow &saveFlow() { return *m_save; }

    EditorState state;
    MainFace face;
    Chrome chrome{state, face};

    const Paths &paths() const { return m_paths; }
    ProcessRunner &decodeRunner() { return *m_decodeRunner; }
    ProcessRunner &cutRunner() { return *m_cutRunner; }
    FileDialogs &fileDialogs() { return m_dialogs; }
    PlaybackController &playback() { return *m_playback; }
    PositionTracker &positionTracker() { return *m_tracker; }
    SelectionHandles &handles() { return *m_handles; }
    TimelineView &view() { return *m_view; }
    PlayMarkers &markers() { return *m_markers; }
    OpenFlow &openFlow() { return *m_open; }
    ToolbarActions &toolbar() { return *m_toolbar; }
    CommandChannel &commands() { return *m_commands; }


private:
    void load();
    void end();
    void stopJobs();

    Paths m_paths;
    std::unique_ptr<WorkSession> m_session;
    Seams m_seams;
    FileDialogs m_dialogs;
    std::unique_ptr<ProcessRunner> m_decodeRunner;
    std::unique_ptr<ProcessRunner> m_cutRunner;
    std::unique_ptr<SelectionHandles> m_handles;
    std::unique_ptr<TimelineView> m_view;
    std::unique_ptr<PlaybackController> m_playback;
    std::unique_ptr<PositionTracker> m_tracker;
    std::unique_ptr<PlayMarkers> m_markers;
    std::unique_ptr<FlowContext> m_context;
    std::unique_ptr<OpenFlow> m_open;
    std::unique_ptr<SaveFlow> m_save;
    std::unique_ptr<ToolbarActions> m_toolbar;
    std::unique_ptr<CommandChannel> m_commands;
    bool m_ending = false;
};
