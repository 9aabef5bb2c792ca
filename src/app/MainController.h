#pragma once

#include "files/Paths.h"
#include "files/WorkSession.h"
#include "model/EditorModel.h"
#include "pipeline/FlowContext.h"
#include "pipeline/OpenFlow.h"
#include "pipeline/ProcessRunner.h"
#include "pipeline/SaveFlow.h"
#include "playback/PlaybackController.h"
#include "playback/PositionTracker.h"
#include "settings/FileDialogs.h"
#include "ui/Chrome.h"
#include "ui/CommandChannel.h"
#include "ui/EditHistory.h"
#include "ui/MainControls.h"
#include "ui/PlayMarkers.h"
#include "ui/SelectionHandles.h"
#include "ui/TimelineFace.h"
#include "ui/TimelineView.h"
#include "ui/ToolbarActions.h"

#include <QObject>
#include <memory>

// Everything behind the main window that is not a widget, wired together: the
// editor model, the two runners, the file dialog service, playback, the time
// line's controllers and the flows. Made ready to use: the settings read, the
// working folder claimed and checked.
class MainController : public QObject, public MainControls {
    Q_OBJECT
public:
    using Seams = MainControls::Seams;

    MainController(const Paths &paths, const Seams &seams, QObject *parent = nullptr);
    ~MainController() override;

    // MainControls
    EditorModel &model() override { return m_model; }
    TimelineFace &timelineFace() override { return m_timelineFace; }
    Chrome &chrome() override { return m_chrome; }
    const Paths &paths() const override { return m_paths; }
    ToolbarActions &toolbar() override { return *m_toolbar; }
    PlaybackController &playback() override { return *m_playback; }
    SelectionHandles &handles() override { return *m_handles; }
    TimelineView &view() override { return *m_view; }
    PlayMarkers &markers() override { return *m_markers; }
    OpenFlow &openFlow() override { return *m_open; }
    SaveFlow &saveFlow() override { return *m_save; }
    CommandChannel &commands() override { return *m_commands; }
    EditHistory &history() override { return *m_history; }
    bool shutDown() override;
    void endWithoutQuestion() override;
    bool cancelJob() override;
    void setShaping(const CutShaping &shaping) override;

    bool isEnding() const { return m_ending; }
    ProcessRunner &decodeRunner() { return *m_decodeRunner; }
    ProcessRunner &cutRunner() { return *m_cutRunner; }
    FileDialogs &fileDialogs() { return m_dialogs; }
    PositionTracker &positionTracker() { return *m_tracker; }

private:
    void readSettings();
    void makeFlows();
    void end();
    enum class JobStop { Gently, Now };
    bool stopJobs(JobStop how);

    EditorModel m_model;
    TimelineFace m_timelineFace;
    Chrome m_chrome;
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
    std::unique_ptr<EditHistory> m_history;
    bool m_ending = false;
};
