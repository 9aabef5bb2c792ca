#pragma once

#include <QString>

class EditorModel;
class SelectionHandles;

// What the time table's fields say: the play position, the selection (a
// handle's field follows it while it is dragged) and the stretch on view.
// A selection without an end has no length.
struct TimeTable {
    QString time;
    QString selBegin, selEnd, selLength;
    QString viewBegin, viewEnd, viewLength;
};

TimeTable timeTableOf(const EditorModel &model, const SelectionHandles &handles);
