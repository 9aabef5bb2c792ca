#include "ui/ToolbarActions.h"

#include "ui/EditHistory.h"

#include "model/EditorModel.h"
#include "model/Seams.h"
#include "settings/Vendor.h"
#include "pipeline/OpenFlow.h"
#include "pipeline/SaveFlow.h"
#include "ui/SelectionHandles.h"
#include "ui/TimelineFace.h"
#include "playback/Timeline.h"

#include <QRandomGenerator>
#include <QUrl>
#include <QCoreApplication>

namespace {
// the pointer position the random selection hands to the handles' move and
// release handling: 3 px, in twips
constexpr float RandomPointerX = 45.0f;
}

ToolbarActions::ToolbarActions(FlowContext &context, OpenFlow &open, SaveFlow &save,
                               SelectionHandles &handles, TimelineFace &face, EditHistory &history)
    : c(context), m_open(open), m_save(save), m_handles(handles), m_face(face), m_history(history)
{
}

void ToolbarActions::press(Button button)
{
    switch (button) {
    case Button::Open: m_open.run(); break;
    case Button::Save: m_save.run(); break;
    case Button::Random: randomSelection(); break;
    case Button::Share:
        c.shell.openUrl(QUrl(QStringLiteral("mailto:") + QLatin1String(SupportMailAddress)));
        break;
    case Button::Settings: c.window.showSettingsDialog(); break;
    case Button::Website: c.shell.openUrl(QUrl(QLatin1String(VendorWebPage))); break;
    case Button::Exit: c.window.requestClose(); break;
    }
}

bool ToolbarActions::tryRandomSelectionOnce()
{
    // the end handle goes first, so the start handle is then kept inside the
    // limits the new end sets
    float r = float(QRandomGenerator::global()->generateDouble());
    m_handles.setGripX(SelectionHandles::End, r * 10000.0f + 500.0f);
    m_face.dragging = true;
    m_handles.move(SelectionHandles::End, RandomPointerX);
    m_handles.release(SelectionHandles::End, RandomPointerX);

    r = float(QRandomGenerator::global()->generateDouble());
    m_handles.setGripX(SelectionHandles::Start, r * 10000.0f);
    m_face.dragging = true;
    m_handles.move(SelectionHandles::Start, RandomPointerX);
    m_handles.release(SelectionHandles::Start, RandomPointerX);
    return c.model.marks().lengthMs() > 5000;
}

void ToolbarActions::randomSelection()
{
    // Without an open file there is no length to choose a stretch from.
    if (c.model.lengthMs() <= 0) {
        c.messages.show(QCoreApplication::translate("ToolbarActions", "请先播放音乐"), QStringLiteral("warning"), MessageButtons::Ok,
                        MessageIcon::Warning);
        return;
    }
    // The tries are one step to undo; a file too short for a random stretch
    // leaves the selection as it was, and no step.
    const EditHistory::Gesture oneStep(m_history);
    const Marks before = c.model.marks();
    const bool shownBefore[2] = {m_face.handleVisible[0], m_face.handleVisible[1]};
    m_face.handleVisible[0] = m_face.handleVisible[1] = true;
    m_face.touch();
    for (int attempt = 0; attempt < RandomSelectionAttempts; ++attempt) {
        if (tryRandomSelectionOnce())
            return;
    }
    c.model.setMarks(before);
    m_face.handleVisible[0] = shownBefore[0];
    m_face.handleVisible[1] = shownBefore[1];
    m_handles.placeOnView();
    m_face.touch();
    c.messages.show(QCoreApplication::translate("ToolbarActions", "这段声音太短，无法随机选出超过 5 秒的铃声。\n请拖动选择标记手动选择。"),
                    QStringLiteral("warning"), MessageButtons::Ok, MessageIcon::Warning);
}
