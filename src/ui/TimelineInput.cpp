#include "ui/TimelineInput.h"

#include "model/EditorModel.h"
#include "playback/Timeline.h"
#include "ui/SelectionHandles.h"
#include "ui/SkinWidgets.h"
#include "ui/TimelineView.h"

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

TimelineInput::TimelineInput(const EditorModel &model, TimelineView &view, SelectionHandles &handles,
                             SkinPanel &panel, EditHistory &history, QObject *parent)
    : QObject(parent), m_model(model), m_view(view), m_handles(handles), m_history(history)
{
    connect(&panel, &SkinPanel::pressed, this, &TimelineInput::pressed);
    connect(&panel, &SkinPanel::dragged, this, &TimelineInput::dragged);
    connect(&panel, &SkinPanel::released, this, &TimelineInput::released);
    connect(&panel, &SkinPanel::wheeled, this, &TimelineInput::wheeled);
}

TimelineInput::~TimelineInput() = default;

void TimelineInput::pressed(QPointF pos)
{
    m_held = true;
    m_dragging = false;
    m_pressAt = pos;
    m_onRuler = pos.y() >= RulerTopPx && pos.y() < RulerBottomPx;
    m_pressMs = std::clamp<std::int64_t>(timeline::positionToMs(twips(pos.x()), m_model.view()), 0,
                                         m_model.lengthMs());
    m_viewStartAtPress = m_model.view().startMs;
}

void TimelineInput::dragged(QPointF pos)
{
    if (!m_held || m_model.lengthMs() <= 0)
        return;
    if (!m_dragging && std::fabs(pos.x() - m_pressAt.x()) <= DragThresholdPx)
        return;
    m_dragging = true;
    const VisibleSpan &view = m_model.view();
    if (m_onRuler) {
        // the stretch follows the pointer, as paper pulled along
        const double msPerPixel = view.lengthMs() / (timeline::TimelineSpan / timeline::TwipsPerPixel);
        const double start = m_viewStartAtPress - (pos.x() - m_pressAt.x()) * msPerPixel;
        m_view.show(start, start + view.lengthMs());
        return;
    }
    const std::int64_t here =
        std::clamp<std::int64_t>(timeline::positionToMs(twips(pos.x()), view), 0, m_model.lengthMs());
    if (!m_selecting)
        m_selecting = std::make_unique<EditHistory::Gesture>(m_history);
    m_handles.select(Selection{std::min(m_pressMs, here), std::max(m_pressMs, here)});
}

void TimelineInput::released()
{
    const bool click = m_held && !m_dragging;
    m_held = false;
    m_dragging = false;
    m_selecting.reset();
    if (click)
        emit clicked(m_pressAt);
}

void TimelineInput::wheeled(QPointF pos, QPoint angleDelta, Qt::KeyboardModifiers modifiers)
{
    const bool sideways = angleDelta.x() != 0 && angleDelta.y() == 0;
    const double notches = (sideways ? angleDelta.x() : angleDelta.y()) / 120.0;
    if (notches == 0)
        return;
    if (sideways || (modifiers & Qt::ShiftModifier)) {
        m_view.scrollBy(-notches * ScrollStep);
        return;
    }
    m_view.zoomAround(std::pow(ZoomStep, notches), twips(pos.x()));
}
