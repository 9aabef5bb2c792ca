#include "ui/TimelineInput.h"

#include "app/MainController.h"
#include "playback/Timeline.h"
#include "ui/SkinWidgets.h"

#include <algorithm>
#include <cmath>

namespace {

// Positions arrive in logical pixels; the time line works in twips.
double twips(double px) { return px * timeline::TwipsPerPixel; }

// One notch of the wheel zooms by this factor.
constexpr double ZoomStep = 0.8;
// One notch of the wheel scrolls by this share of the stretch on view.
constexpr double ScrollStep = 0.1;

}  // namespace

TimelineInput::TimelineInput(MainController &controller, SkinPanel &panel, QObject *parent)
    : QObject(parent), m_controller(controller)
{
    connect(&panel, &SkinPanel::pressed, this, &TimelineInput::pressed);
    connect(&panel, &SkinPanel::dragged, this, &TimelineInput::dragged);
    connect(&panel, &SkinPanel::released, this, &TimelineInput::released);
    connect(&panel, &SkinPanel::wheeled, this, &TimelineInput::wheeled);
}

void TimelineInput::pressed(QPointF pos)
{
    m_held = true;
    m_dragging = false;
    m_pressAt = pos;
    m_onRuler = pos.y() >= RulerTopPx && pos.y() < RulerBottomPx;
    const EditorState &state = m_controller.state;
    m_pressMs = std::clamp<std::int64_t>(timeline::positionToMs(twips(pos.x()), state.View), 0, state.LengthMs);
    m_viewStartAtPress = state.View.startMs;
}

void TimelineInput::dragged(QPointF pos)
{
    if (!m_held || m_controller.state.LengthMs <= 0)
        return;
    if (!m_dragging && std::fabs(pos.x() - m_pressAt.x()) <= DragThresholdPx)
        return;
    m_dragging = true;
    EditorState &state = m_controller.state;
    if (m_onRuler) {
        // the stretch follows the pointer, as paper pulled along
        const double msPerPixel = state.View.lengthMs() / (timeline::TimelineSpan / timeline::TwipsPerPixel);
        const double start = m_viewStartAtPress - (pos.x() - m_pressAt.x()) * msPerPixel;
        m_controller.view().show(start, start + state.View.lengthMs());
        return;
    }
    const std::int64_t here =
        std::clamp<std::int64_t>(timeline::positionToMs(twips(pos.x()), state.View), 0, state.LengthMs);
    m_controller.handles().select(Selection{std::min(m_pressMs, here), std::max(m_pressMs, here)});
}

void TimelineInput::released()
{
    m_held = false;
    m_dragging = false;
}

void TimelineInput::wheeled(QPointF pos, QPoint angleDelta, Qt::KeyboardModifiers modifiers)
{
    const bool sideways = angleDelta.x() != 0 && angleDelta.y() == 0;
    const double notches = (sideways ? angleDelta.x() : angleDelta.y()) / 120.0;
    if (notches == 0)
        return;
    if (sideways || (modifiers & Qt::ShiftModifier)) {
        m_controller.view().scrollBy(-notches * ScrollStep);
        return;
    }
    m_controller.view().zoomAround(std::pow(ZoomStep, notches), twips(pos.x()));
}
