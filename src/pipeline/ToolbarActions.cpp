#include "pipeline/ToolbarActions.h"

#include "model/EditorState.h"
#include "app/MainFace.h"
#include "model/Seams.h"
#include "settings/Vendor.h"
#include "pipeline/OpenFlow.h"
#include "pipeline/SaveFlow.h"
#include "playback/SelectionHandles.h"
#include "playback/Timeline.h"

#include <QRandomGenerator>
#include <QUrl>
#include <QCoreApplication>

namespace {
// the pointer position the random selection hands to the handles' move and
// release handling: 3 px, in twips
constexpr float RandomPointerX = 45.0f;
}

ToolbarActions::ToolbarActions(FlowContext &context, OpenFlow &open, SaveFlow &save)
    : c(context), m_open(open), m_save(save)
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
    c.handles.setGripX(SelectionHandles::End, r * 10000.0f + 500.0f);
    c.state.IsDragging = true;
    c.handles.move(SelectionHandles::End, RandomPointerX);
    c.handles.release(SelectionHandles::End, RandomPointerX);

    r = float(QRandomGenerator::global()->generateDouble());
    c.handles.setGripX(SelectionHandles::Start, r * 10000.0f);
    c.state.IsDragging = true;
    c.handles.move(SelectionHandles::Start, RandomPointerX);
    c.handles.release(SelectionHandles::Start, RandomPointerX);
    return c.state.Sel.lengthMs() > 5000;
}

void ToolbarActions::randomSelection()
{
    // Without an open file there is no length to choose a stretch from.
    if (c.state.LengthMs <= 0) {
        c.messages.show(QCoreApplication::translate("ToolbarActions", "请先播放音乐"), QStringLiteral("warning"), MessageButtons::Ok,
                        MessageIcon::Warning);
        return;
    }
    c.face.handleVisible[0] = c.face.handleVisible[1] = true;
    c.face.touch();
    for (int attempt = 0; attempt < RandomSelectionAttempts; ++attempt) {
        if (tryRandomSelectionOnce())
            return;
    }
    c.messages.show(QCoreApplication::translate("ToolbarActions", "这段声音太短，无法随机选出超过 5 秒的铃声。\n请拖动选择标记手动选择。"),
                    QStringLiteral("warning"), MessageButtons::Ok, MessageIcon::Warning);
}
