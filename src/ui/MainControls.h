#pragma once

#include "model/CutShaping.h"
#include "model/Seams.h"

#include <functional>
#include <memory>

class Chrome;
class CommandChannel;
class EditHistory;
class EditorModel;
class OpenFlow;
class PlayMarkers;
class PlaybackController;
class PlaybackDevice;
class SaveFlow;
class SelectionHandles;
class TimelineFace;
class TimelineView;
class ToolbarActions;
struct Paths;

// What the main window works with: the editor model it shows and the pieces
// its events go to. The program's controller provides them; the window only
// forwards and shows.
class MainControls {
public:
    // The desktop as the controller meets it.
    struct Seams {
        MessageSeam &messages;
        ShellSeam &shell;
        WindowSeam &window;
        FileChooserSeam &chooser;
        PlaybackDevice &device;
    };
    // Makes the controls for a window, which passes itself as the WindowSeam.
    using Factory = std::function<std::unique_ptr<MainControls>(const Seams &)>;

    virtual ~MainControls() = default;

    virtual EditorModel &model() = 0;
    virtual TimelineFace &timelineFace() = 0;
    virtual Chrome &chrome() = 0;
    virtual const Paths &paths() const = 0;
    virtual ToolbarActions &toolbar() = 0;
    virtual PlaybackController &playback() = 0;
    virtual SelectionHandles &handles() = 0;
    virtual TimelineView &view() = 0;
    virtual PlayMarkers &markers() = 0;
    virtual OpenFlow &openFlow() = 0;
    virtual SaveFlow &saveFlow() = 0;
    virtual CommandChannel &commands() = 0;
    virtual EditHistory &history() = 0;

    // The shutdown question and its end. False when the user keeps the
    // program running.
    virtual bool shutDown() = 0;
    // The same end without the question (a termination signal).
    virtual void endWithoutQuestion() = 0;
    // Stops the running cut, else the running decode. False when neither runs.
    virtual bool cancelJob() = 0;
    // How ringtones are shaped from now on; remembered for the next run.
    virtual void setShaping(const CutShaping &shaping) = 0;
};
