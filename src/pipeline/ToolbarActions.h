#pragma once

#include "pipeline/FlowContext.h"

class OpenFlow;
class SaveFlow;

// The toolbar's click dispatch and its small actions: random selection, mail,
// the settings dialog, the web page and exit.
class ToolbarActions {
public:
    ToolbarActions(FlowContext &context, OpenFlow &open, SaveFlow &save);

    void imgButton_Click(int index);
    void RandomSelection();

    // A file too short for a random stretch of more than five seconds would make
    // the random selection try for ever; it gives up after this many attempts.
    static constexpr int RandomSelectionAttempts = 200;

private:
    bool tryRandomSelectionOnce();

    FlowContext &c;
    OpenFlow &m_open;
    SaveFlow &m_save;
};
