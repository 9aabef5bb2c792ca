#pragma once

#include "files/Paths.h"

struct EditorState;
class MainFace;
class MessageSeam;
class ShellSeam;
class WindowSeam;
class FileDialogs;
class ProcessRunner;
class PlaybackDevice;
class PlaybackController;
class SelectionHandles;
class TimelineView;

// What the toolbar's flows work with. Everything is owned by the main
// controller and outlives the flows.
struct FlowContext {
    EditorState &state;
    MainFace &face;
    Paths paths;
    MessageSeam &messages;
    ShellSeam &shell;
    WindowSeam &window;
    FileDialogs &dialogs;
    PlaybackDevice &device;
    PlaybackController &playback;
    SelectionHandles &handles;
    TimelineView &view;
    ProcessRunner &decodeRunner;  // decodeRunner
    ProcessRunner &cutRunner;     // cutRunner
    const bool &ending;        // the program is closing: jobs that end now report nothing
};
