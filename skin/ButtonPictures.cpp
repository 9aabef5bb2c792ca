#include "ButtonPictures.h"

#include "ButtonFaces.h"
#include "Glyphs.h"
#include "SkinGeometry.h"
#include "SkinPaint.h"

#include <functional>

using namespace skingeo;

namespace buttonpics {
namespace {

// Cuts the ground under `spot` and paints a face over it, in the picture's own
// coordinates.
QImage overGround(const QImage &bare, const QRect &spot,
                  const std::function<void(QPainter &, const QRectF &)> &face)
{
    QImage picture = skinpaint::crop(bare, spot);
    QPainter p(&picture);
    skinpaint::prepare(p);
    face(p, QRectF(QPointF(0, 0), spot.size()));
    return picture;
}

QString indexed(const char *store, int i)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(store)).arg(i);
}

}  // namespace

QHash<QString, QImage> paint(const QImage &bare)
{
    QHash<QString, QImage> out;
    using faces::Look;

    for (int i = 0; i < 8; ++i) {
        // slot 3 has no place on the toolbar; its arrow is drawn on the toolbar
        // ground just right of the cut button, where a fourth icon would stand
        const QRect spot = i == 3 ? QRect(QPoint(px(ButtonLefts[3]), buttonRect(0).top()), buttonRect(3).size())
                                  : buttonRect(i);
        out.insert(indexed("imgButtonData", i), overGround(bare, spot, [i](QPainter &p, const QRectF &r) {
                       faces::toolbarButton(p, r, i, Look::Lit);
                   }));
    }
    for (int i = 0; i < MenuCount; ++i)
        out.insert(indexed("imgMenuData", i), overGround(bare, menuRect(i), [i](QPainter &p, const QRectF &r) {
                       faces::menuButton(p, r, i, Look::Lit);
                   }));
    for (int i = 0; i < CtrlCount; ++i) {
        out.insert(indexed("imgCtrlButtonLight", i),
                   overGround(bare, ctrlRect(i), [i](QPainter &p, const QRectF &r) {
                       faces::transportButton(p, r, i, Look::Lit);
                   }));
        out.insert(indexed("imgCtrlButtonPress", i),
                   overGround(bare, ctrlRect(i), [i](QPainter &p, const QRectF &r) {
                       faces::transportButton(p, r, i, Look::Pressed);
                   }));
    }
    out.insert(QStringLiteral("imgMinLight"), overGround(bare, MinRect, [](QPainter &p, const QRectF &r) {
                   faces::titleButton(p, r, false, Look::Lit);
               }));
    out.insert(QStringLiteral("imgExitLight"), overGround(bare, ExitRect, [](QPainter &p, const QRectF &r) {
                   faces::titleButton(p, r, true, Look::Lit);
               }));
    out.insert(QStringLiteral("imgGettingStartedLight"),
               overGround(bare, OpenRect, [](QPainter &p, const QRectF &r) {
                   glyphs::quickStartDocument(p, r, true);
               }));
    return out;
}

}  // namespace buttonpics
