#include "ButtonFaces.h"
#include "Glyphs.h"
#include "MainBackground.h"
#include "SkinGeometry.h"
#include "SkinPalette.h"
#include "SkinPaint.h"

#include <QPainterPath>
#include <QCoreApplication>

namespace quickstart {
namespace {

// The five instructions stand on rows 45 px apart; the first one's picture is
// the document hot spot, so the rows are hung from it.
constexpr int FirstRowCentre = skingeo::OpenRect.top() + skingeo::OpenRect.height() / 2;
constexpr int RowPitch = 45;
constexpr int PictureLeft = skingeo::OpenRect.left();
constexpr int BadgeCentre = 66;
constexpr int TextRight = PictureLeft - 7;

void ground(QPainter &p, const QRect &panel)
{
    QLinearGradient g(panel.topLeft(), panel.bottomRight());
    g.setColorAt(0, palette::ArtTop);
    g.setColorAt(0.55, QColor(36, 104, 180));
    g.setColorAt(1, palette::ArtBottom);
    p.fillRect(panel, g);

    p.save();
    p.setClipRect(panel);
    p.setPen(Qt::NoPen);
    // a soft light behind the bell
    QRadialGradient glow(QPointF(596, 262), 250);
    glow.setColorAt(0, QColor(160, 214, 255, 120));
    glow.setColorAt(0.5, QColor(120, 190, 255, 40));
    glow.setColorAt(1, QColor(120, 190, 255, 0));
    p.setBrush(glow);
    p.drawRect(panel);

    // flowing ribbons along the bottom, like a sound travelling
    const qreal b = panel.bottom() + 1;
    const struct { qreal lift, swing; int alpha; } ribbons[] = {
        {70, 26, 26}, {46, 34, 22}, {24, 18, 30}};
    for (const auto &r : ribbons) {
        QPainterPath wave;
        wave.moveTo(panel.left(), b - r.lift);
        wave.cubicTo(panel.left() + 200, b - r.lift - r.swing, panel.left() + 380, b - r.lift + r.swing,
                     panel.left() + 560, b - r.lift - r.swing * 0.4);
        wave.cubicTo(panel.left() + 650, b - r.lift - r.swing, panel.left() + 700, b - r.lift,
                     panel.right() + 1, b - r.lift - r.swing * 0.5);
        wave.lineTo(panel.right() + 1, b);
        wave.lineTo(panel.left(), b);
        wave.closeSubpath();
        p.setBrush(QColor(255, 255, 255, r.alpha));
        p.drawPath(wave);
    }
    // a light edge along the top of the artwork
    skinpaint::bandGradient(p, QRectF(panel.left(), panel.top(), panel.width(), 24),
                            QColor(255, 255, 255, 46), QColor(255, 255, 255, 0));
    p.restore();
}

void bellArt(QPainter &p)
{
    const QPointF centre(598, 262);
    // sound rings on both sides of the bell
    p.save();
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const qreal r = 100 + i * 24;
        QPen pen(QColor(255, 255, 255, 120 - i * 34), 3.5 - i * 0.6);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        const QRectF ring(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
        p.drawArc(ring, 150 * 16, 60 * 16);
        p.drawArc(ring, -30 * 16, 60 * 16);
    }
    p.restore();
    // the bell's shadow, then the bell itself
    p.save();
    p.setPen(Qt::NoPen);
    QRadialGradient shadow(QPointF(centre.x(), 368), 80);
    shadow.setColorAt(0, QColor(4, 24, 60, 90));
    shadow.setColorAt(1, QColor(4, 24, 60, 0));
    p.setBrush(shadow);
    p.drawEllipse(QPointF(centre.x(), 368), 86, 14);
    p.restore();
    glyphs::bell(p, QRectF(centre.x() - 75, centre.y() - 94, 150, 180), QColor(255, 236, 164),
                 QColor(206, 138, 22));
    // notes drifting out of it
    glyphs::note(p, QRectF(448, 168, 30, 30), QColor(255, 255, 255, 150));
    glyphs::note(p, QRectF(712, 150, 22, 22), QColor(255, 255, 255, 120));
    glyphs::note(p, QRectF(722, 330, 18, 18), QColor(255, 255, 255, 90));
}

void heading(QPainter &p)
{
    const QFont font = skinpaint::cjkFont(24, true);
    p.setFont(font);
    const QString text = QCoreApplication::translate("QuickStartPanel", "快速开始");
    const qreal left = BadgeCentre - 10;
    skinpaint::shadowedText(p, QPointF(left, 174), text, palette::ArtText, palette::ArtShadow);
    QLinearGradient rule(QPointF(left, 0), QPointF(left + 330, 0));
    rule.setColorAt(0, QColor(255, 255, 255, 170));
    rule.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(left, 186, 330, 1), rule);
    p.fillRect(QRectF(left, 187, 330, 1), QColor(6, 30, 70, 40));
}

void badge(QPainter &p, int number, qreal cy)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(6, 30, 70, 70));
    p.drawEllipse(QPointF(BadgeCentre, cy + 1), 10, 10);
    p.setBrush(skinpaint::vertical(QRectF(BadgeCentre - 10, cy - 10, 20, 20), Qt::white, QColor(206, 228, 250)));
    p.drawEllipse(QPointF(BadgeCentre, cy), 10, 10);
    const QFont font = skinpaint::latinFont(12, true);
    const QFontMetricsF fm(font);
    const QString digit = QString::number(number);
    p.setFont(font);
    p.setPen(QColor(24, 84, 160));
    p.drawText(QPointF(qRound(BadgeCentre - fm.horizontalAdvance(digit) / 2),
                       qRound(cy + (fm.ascent() - fm.descent()) / 2)),
               digit);
    p.restore();
}

void instruction(QPainter &p, int row, const QString &action)
{
    const qreal cy = FirstRowCentre + row * RowPitch;
    badge(p, row + 1, cy);

    const QFont font = skinpaint::cjkFont(14);
    const QFontMetricsF fm(font);
    p.setFont(font);
    const qreal baseline = qRound(cy + (fm.ascent() - fm.descent()) / 2);
    const QString lead = QCoreApplication::translate("QuickStartPanel", "点击按钮");
    skinpaint::shadowedText(p, QPointF(TextRight - fm.horizontalAdvance(lead), baseline), lead,
                            palette::ArtText, palette::ArtShadow);

    // the small picture of the button to click (line 1's document is a hot spot)
    qreal pictureRight = skingeo::OpenRect.right() + 1;
    if (row == 1 || row == 2 || row == 3) {
        const int index = row == 1 ? 0 : row + 1;  // play, set start, set end
        const QRectF button(PictureLeft, cy - 14, 30, 28);
        faces::transportButton(p, button, index, faces::Look::Rest);
        pictureRight = button.right();
    } else if (row == 4) {
        const QRectF button(PictureLeft, cy - 14, 76, 28);
        faces::transportButton(p, button, 6, faces::Look::Rest);
        pictureRight = button.right();
    }
    p.setFont(font);
    skinpaint::shadowedText(p, QPointF(pictureRight + 10, baseline), action, palette::ArtText,
                            palette::ArtShadow);
}

}  // namespace

void paint(QPainter &p, const QRect &panel)
{
    p.save();
    skinpaint::prepare(p);
    ground(p, panel);
    bellArt(p);
    heading(p);
    instruction(p, 0, QCoreApplication::translate("QuickStartPanel", "打开一个音乐/视频文件."));
    instruction(p, 1, QCoreApplication::translate("QuickStartPanel", "开始播放声音."));
    instruction(p, 2, QCoreApplication::translate("QuickStartPanel", "选择铃声开始位置."));
    instruction(p, 3, QCoreApplication::translate("QuickStartPanel", "选择铃声结束位置."));
    instruction(p, 4, QCoreApplication::translate("QuickStartPanel", "保存制作完毕的铃声."));
    p.restore();
}

}  // namespace quickstart
