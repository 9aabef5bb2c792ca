#pragma once

#include "files/Paths.h"

class EditorModel;
class MessageSeam;
class ShellSeam;
class WindowSeam;
class FileDialogs;
class ProcessRunner;
class PlaybackDevice;
class PlaybackController;

// What the toolbar's flows work with. Everything is owned by the main
// controller and outlives the flows.
struct FlowContext {
    EditorModel &model;
    Paths paths;
    MessageSeam &messages;
    ShellSeam &shell;
    WindowSeam &window;
    FileDialogs &dialogs;
    PlaybackDevice &device;
    PlaybackController &playback;
    ProcessRunner &decodeRunner;
    ProcessRunner &cutRunner;
    const bool &ending;        // the program is closing: jobs that end now report nothing
};
