#pragma once

#include "pipeline/FlowContext.h"

class EditHistory;
class OpenFlow;
class SaveFlow;
class SelectionHandles;
class TimelineFace;

// The toolbar's buttons and their small actions: random selection, mail,
// the settings dialog, the web page and exit.
class ToolbarActions {
public:
    // In the order of the toolbar's buttons; the fourth place holds none.
    enum class Button {
        Open = 0,
        Save = 1,
        Random = 2,
        Share = 4,
        Settings = 5,
        Website = 6,
        Exit = 7,
    };
    static constexpr int ButtonCount = 8;

    ToolbarActions(FlowContext &context, OpenFlow &open, SaveFlow &save, SelectionHandles &handles,
                   TimelineFace &face, EditHistory &history);

    // What a press of the button does; a place without a button does nothing.
    void press(Button button);
    void randomSelection();

    // A file too short for a random stretch of more than five seconds would make
    // the random selection try for ever; it gives up after this many attempts.
    static constexpr int RandomSelectionAttempts = 200;

private:
    bool tryRandomSelectionOnce();

    FlowContext &c;
    OpenFlow &m_open;
    SaveFlow &m_save;
    SelectionHandles &m_handles;
    TimelineFace &m_face;
    EditHistory &m_history;
};
