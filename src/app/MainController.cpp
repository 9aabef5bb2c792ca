#include "app/MainController.h"

#include "model/Seams.h"
#include "playback/PlaybackDevice.h"
#include "settings/ShapingChoices.h"
#include "settings/ProgramConfig.h"
#include "settings/SetupFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

MainController::MainController(const Paths &paths, Seams seams, QObject *parent)
    : QObject(parent), m_paths(paths), m_seams(seams)
{
    // Claimed before anything learns where the working WAV is.
    m_session = std::make_unique<WorkSession>(m_paths.workFolder);
    m_paths.sessionFolder = m_session->folder();
    m_handles = std::make_unique<SelectionHandles>(state, face);
    m_view = std::make_unique<TimelineView>(state, face, *m_handles);
    m_playback = std::make_unique<PlaybackController>(state, face, seams.device, *m_handles,
                                                      m_paths.workWav(),
                                                      [this] { m_toolbar->press(ToolbarActions::Button::Save); });
    m_tracker = std::make_unique<PositionTracker>(state, face, seams.device);
    m_markers = std::make_unique<PlayMarkers>(state, face, seams.device, *m_tracker, m_paths.workWav());
    load();
}

MainController::~MainController() = default;

// Settings, state, runners, dialog service, handle positions, working folder.
void MainController::load()
{
    state.ButtonPressed = false;

    state.OpenFolderChoice = 0;
    state.PromptSoundChoice = 0;
    const QString settings = m_paths.settingsFile();
    if (QFileInfo::exists(settings)) {
        const AfterSaveChoices choices = readSetupFile(settings);
        state.OpenFolderChoice = choices.openFolder;
        state.PromptSoundChoice = choices.promptSound;
    }
    recallConfig(readProgramConfig(m_paths.configFile()), state);

    state.FileOpen = state.IsDragging = state.IsPaused = false;

    m_decodeRunner = std::make_unique<ProcessRunner>(m_seams.messages);
    m_cutRunner = std::make_unique<ProcessRunner>(m_seams.messages);

    state.PlayingSelection = false;
    state.TotalSeconds = 0;
    state.Sel = {};

    face.handleX[0] = 0.0f;
    face.handleX[1] = 10920.0f;

    // A working folder that is not private to this user is not used: the user
    // learns it now, and again from any open that would need it.
    if (const QString problem = m_paths.workFolderProblem(); !problem.isEmpty()) {
        // Said over the window, once it is there.
        QTimer::singleShot(0, this, [this, problem] {
            m_seams.messages.show(problem, QStringLiteral("Brindlewave"), MessageButtons::Ok, MessageIcon::Warning);
        });
    }

    m_dialogs.init(m_seams.chooser, m_paths.programFolder);

    m_context.reset(new FlowContext{state, face, m_paths, m_seams.messages, m_seams.shell,
                                    m_seams.window, m_dialogs, m_seams.device, *m_playback,
                                    *m_handles, *m_view, *m_decodeRunner, *m_cutRunner, m_ending});
    m_open = std::make_unique<OpenFlow>(*m_context);
    m_save = std::make_unique<SaveFlow>(*m_context);
    m_toolbar = std::make_unique<ToolbarActions>(*m_context, *m_open, *m_save);
    m_commands = std::make_unique<CommandChannel>(
        face, m_seams.messages,
        CommandChannel::Actions{[this](ToolbarActions::Button b) { m_toolbar->press(b); }, [this] { m_seams.window.requestClose(); },
                                [this] { m_view->showWholeFile(); }, [this] { m_view->zoomToSelection(); },
                                [this](const QString &word) { setShaping(shaping_choice::chosen(state.Shaping, word)); }});
    connect(m_decodeRunner.get(), &ProcessRunner::outputReceived, this, [this](const QString &piece) { m_open->onDecodeOutput(piece); });
    connect(m_cutRunner.get(), &ProcessRunner::outputReceived, this, [this](const QString &piece) { m_save->onCutOutput(piece); });

    face.touch();
    m_tracker->start();
}

void MainController::setShaping(const CutShaping &shaping)
{
    state.Shaping = shaping;
    // A config file that cannot be written costs the next run the choice only.
    writeProgramConfig(m_paths.configFile(), rememberedConfig(state));
    face.touch();
}

bool MainController::cancelJob()
{
    if (m_ending)
        return false;
    return (m_save && m_save->cancel()) || (m_open && m_open->cancel());
}

bool MainController::shutDown()
{
    if (m_ending)
        return true;
    const MessageAnswer answer = m_seams.messages.show(QCoreApplication::translate("MainController", "确定要退出吗？"), QCoreApplication::translate("MainController", "退出"),
                                                       MessageButtons::OkCancel, MessageIcon::Warning);
    // an end from outside may have come while the question was up
    if (m_ending)
        return true;
    if (answer != MessageAnswer::Ok)
        return false;
    end();
    return true;
}

void MainController::endWithoutQuestion()
{
    if (!m_ending)
        end();
}

void MainController::stopJobs()
{
    // A transcoder still writing would outlive the program and keep writing:
    // every child is gone when this returns. The flows see m_ending in their
    // jobs' ends and report nothing; a cut leaves no file.
    if (m_save)
        m_save->cancelNow();
    if (m_open)
        m_open->cancelNow();
}

void MainController::end()
{
    m_ending = true;
    stopJobs();
    m_seams.device.send(playback_command::stop());
    m_seams.device.send(playback_command::close());
    m_seams.device.send(playback_command::stopChime());
    m_seams.device.send(playback_command::closeChime());
    const QString workWav = m_paths.workWav();
    if (QFileInfo::exists(workWav))
        QFile::remove(workWav);
    m_session->release();
}
