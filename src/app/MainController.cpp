#include "app/MainController.h"

#include "model/Seams.h"
#include "pipeline/Loudness.h"
#include "playback/PlaybackDevice.h"
#include "settings/ShapingChoices.h"
#include "settings/ProgramConfig.h"
#include "settings/SetupFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

MainController::MainController(const Paths &paths, const Seams &seams, QObject *parent)
    : QObject(parent), m_paths(paths), m_seams(seams)
{
    // Claimed before anything learns where the working WAV is.
    m_session = std::make_unique<WorkSession>(m_paths.workFolder);
    m_paths.sessionFolder = m_session->folder();
    m_handles = std::make_unique<SelectionHandles>(m_model, m_timelineFace);
    m_view = std::make_unique<TimelineView>(m_model);
    m_playback = std::make_unique<PlaybackController>(
        m_model, seams.device, m_paths.workWav(),
        PlaybackController::Hooks{[this] { m_handles->setStartAtPlayPosition(); },
                                  [this] { m_handles->setEndAtPlayPosition(); },
                                  [this] { m_toolbar->press(ToolbarActions::Button::Save); }},
        &previewGainFor);
    m_tracker = std::make_unique<PositionTracker>(m_model, seams.device);
    m_markers = std::make_unique<PlayMarkers>(m_model, m_timelineFace, seams.device, *m_tracker, m_paths.workWav());
    connect(m_tracker.get(), &PositionTracker::ticked, this, [this] {
        if (!m_timelineFace.dragging)
            m_timelineFace.followPlayback(m_model);
    });
    // Without a file the time line shows nothing of one.
    connect(&m_model, &EditorModel::mediaChanged, this, [this] {
        if (!m_model.isFileOpen())
            m_timelineFace.reset();
    });
    readSettings();
    // Where files are opened from and how ringtones are shaped are remembered
    // as they change (an undo included). A config file that cannot be written
    // costs the next run the values only.
    for (auto changed : {&EditorModel::openHistoryChanged, &EditorModel::shapingChanged})
        connect(&m_model, changed, this, [this] { writeProgramConfig(m_paths.configFile(), rememberedConfig(m_model)); });
    m_history = std::make_unique<EditHistory>(m_model, [this] { m_handles->showMarks(); });
    m_decodeRunner = std::make_unique<ProcessRunner>(m_seams.messages);
    m_cutRunner = std::make_unique<ProcessRunner>(m_seams.messages);

    // A working folder that is not private to this user is not used: the user
    // learns it now, and again from any open that would need it.
    if (const QString problem = m_paths.workFolderProblem(); !problem.isEmpty()) {
        // Said over the window, once it is there.
        QTimer::singleShot(0, this, [this, problem] {
            m_seams.messages.show(problem, QStringLiteral("Brindlewave"), MessageButtons::Ok, MessageIcon::Warning);
        });
    }
    m_dialogs.init(m_seams.chooser, m_paths.programFolder);
    makeFlows();
    m_tracker->start();
}

MainController::~MainController() = default;

// The after-save choices of setup.ini and the remembered values of brindlewave.conf.
void MainController::readSettings()
{
    const QString settings = m_paths.settingsFile();
    if (QFileInfo::exists(settings)) {
        const AfterSaveChoices choices = readSetupFile(settings);
        m_model.setAfterSave(AfterSave{choices.openFolder == 0, choices.promptSound == 0});
    }
    recallConfig(readProgramConfig(m_paths.configFile()), m_model);
}

void MainController::makeFlows()
{
    m_context.reset(new FlowContext{m_model, m_paths, m_seams.messages, m_seams.shell, m_seams.window, m_dialogs,
                                    m_seams.device, *m_playback, *m_decodeRunner, *m_cutRunner, m_ending});
    m_open = std::make_unique<OpenFlow>(*m_context);
    m_save = std::make_unique<SaveFlow>(*m_context);
    m_toolbar = std::make_unique<ToolbarActions>(*m_context, *m_open, *m_save, *m_handles, m_timelineFace, *m_history);
    m_commands = std::make_unique<CommandChannel>(
        m_seams.messages,
        CommandChannel::Actions{[this](ToolbarActions::Button b) { m_toolbar->press(b); },
                                [this] { m_seams.window.requestClose(); }, [this] { m_view->showWholeFile(); },
                                [this] { m_view->zoomToSelection(); },
                                [this](const QString &word) {
                                    setShaping(shaping_choice::chosen(m_model.shaping(), word));
                                },
                                [this] { m_open->close(); }, [this](int index) { m_open->openRecent(index); },
                                [this] { m_history->undo(); }, [this] { m_history->redo(); },
                                [this] { m_playback->loop(); }});
    connect(m_decodeRunner.get(), &ProcessRunner::outputReceived, this,
            [this](const QString &piece) { m_open->onDecodeOutput(piece); });
    connect(m_cutRunner.get(), &ProcessRunner::outputReceived, this,
            [this](const QString &piece) { m_save->onCutOutput(piece); });
}

void MainController::setShaping(const CutShaping &shaping)
{
    m_model.setShaping(shaping);
}

bool MainController::cancelJob()
{
    return !m_ending && stopJobs(JobStop::Gently);
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

bool MainController::stopJobs(JobStop how)
{
    // The one way a running job ends early. Cancel and Escape ask it to stop;
    // the program's end (Exit, a termination signal) stops it at once, since a
    // transcoder still writing would outlive the program. Either way the flow
    // learns it at its job's end: a cancelled open or cut leaves nothing, and
    // with m_ending set nothing is reported.
    const auto stop = [how](auto &flow) { return how == JobStop::Now ? flow.cancelNow() : flow.cancel(); };
    const bool cut = m_save && stop(*m_save);
    const bool decode = m_open && stop(*m_open);
    return cut || decode;
}

void MainController::end()
{
    m_ending = true;
    stopJobs(JobStop::Now);
    m_seams.device.send(playback_command::stop());
    m_seams.device.send(playback_command::close());
    m_seams.device.send(playback_command::stopChime());
    m_seams.device.send(playback_command::closeChime());
    const QString workWav = m_paths.workWav();
    if (QFileInfo::exists(workWav))
        QFile::remove(workWav);
    m_session->release();
}
