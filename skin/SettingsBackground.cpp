#include "SettingsBackground.h"

#include "GlyphGrid.h"
#include "Glyphs.h"
#include "SkinGeometry.h"
#include "SkinPalette.h"
#include "SkinPaint.h"

#include <QPainterPath>
#include <QCoreApplication>

using namespace skingeo;
using skinpaint::band;
using skinpaint::bandGradient;

namespace settingsbg {
namespace {

const int Width = SettingSize.width();
constexpr int FooterTop = 186;

void titleStrip(QPainter &p)
{
    const QRectF strip(0, 2, Width, SettingTitleBottom - 1);
    bandGradient(p, strip, palette::TitleTop, palette::TitleBottom);
    bandGradient(p, QRectF(0, 2, Width, 16), QColor(255, 255, 255, 34), QColor(255, 255, 255, 8));
    band(p, QRectF(0, 3, Width, 1), QColor(255, 255, 255, 46));
    band(p, QRectF(0, SettingTitleBottom, Width, 1), QColor(8, 28, 56));

    glyphs::note(p, QRectF(12, 10, 18, 18), QColor(150, 206, 255));
    const QFont font = skinpaint::cjkFont(14, true);
    const QFontMetricsF fm(font);
    p.setFont(font);
    skinpaint::shadowedText(p, QPointF(36, qRound(19.5 + (fm.ascent() - fm.descent()) / 2)),
                            QCoreApplication::translate("SettingsBackground", "设置"), palette::TitleText, QColor(0, 10, 30));

    // the close cross under Image1
    const QRect spot = SettingClose;
    const QRectF cross(spot.center().x() + 0.5 - 11, spot.center().y() + 0.5 - 11, 22, 22);
    glyphs::cross(p, cross, palette::TitleGlyph, 2.0);
}

void folderIcon(QPainter &p, const QRectF &box)
{
    glyphs::Grid grid(p, box, 16);
    QPainterPath back = skinpaint::polygonPath({{1.5, 3.5}, {6, 3.5}, {7.5, 5}, {14.5, 5}, {14.5, 13.5}, {1.5, 13.5}});
    p.setPen(QPen(QColor(166, 118, 24), 1));
    p.setBrush(QColor(240, 196, 90));
    p.drawPath(back);
    p.setBrush(skinpaint::vertical(QRectF(1, 7, 14, 7), QColor(255, 226, 140), QColor(236, 180, 60)));
    p.drawRect(QRectF(1.5, 7.5, 13, 6));
}

void speakerIcon(QPainter &p, const QRectF &box)
{
    glyphs::Grid grid(p, box, 16);
    QPainterPath cone = skinpaint::polygonPath({{1.5, 5.5}, {4.5, 5.5}, {8.5, 2}, {8.5, 14}, {4.5, 10.5}, {1.5, 10.5}});
    p.setPen(QPen(QColor(22, 70, 130), 1));
    p.setBrush(skinpaint::vertical(QRectF(1, 2, 8, 12), QColor(120, 180, 240), QColor(40, 100, 180)));
    p.drawPath(cone);
    QPen wave(QColor(40, 110, 190), 1.3);
    wave.setCapStyle(Qt::RoundCap);
    p.setPen(wave);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 4.5, 6, 7), -50 * 16, 100 * 16);
    p.drawArc(QRectF(5, 2, 10, 12), -50 * 16, 100 * 16);
}

void caption(QPainter &p, const QRect &list, const QString &text)
{
    const QFont font = skinpaint::cjkFont(12);
    const QFontMetricsF fm(font);
    p.setFont(font);
    p.setPen(palette::CaptionText);
    const qreal mid = list.top() - 13;
    p.drawText(QPointF(list.left(), qRound(mid + (fm.ascent() - fm.descent()) / 2)), text);
}

void body(QPainter &p)
{
    const QRectF area(0, SettingTitleBottom + 1, Width, SettingSize.height());
    bandGradient(p, area, palette::BodyTop, palette::BodyBottom);
    band(p, QRectF(0, SettingTitleBottom + 1, Width, 1), Qt::white);

    // a plate holding both choices
    const QRectF plate(18.5, 48.5, 381, 129);
    p.setPen(QPen(QColor(192, 210, 230), 1));
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawRoundedRect(plate, 5, 5);

    folderIcon(p, QRectF(26, OpenFolderList.top() - 21, 16, 16));
    caption(p, OpenFolderList, QCoreApplication::translate("SettingsBackground", "保存完毕后打开铃声所在文件夹:"));
    speakerIcon(p, QRectF(26, SoundList.top() - 21, 16, 16));
    caption(p, SoundList, QCoreApplication::translate("SettingsBackground", "保存完毕后播放声音提示:"));

    // the footer where the two label buttons stand, left plain
    band(p, QRectF(0, FooterTop, Width, 1), QColor(196, 212, 231));
    band(p, QRectF(0, FooterTop + 1, Width, 1), Qt::white);
}

}  // namespace

QImage paint(qreal dpr)
{
    QImage image = skinpaint::canvas(SettingSize, dpr, palette::FrameEdge);
    {
        QPainter p(&image);
        skinpaint::prepare(p);
        QPainterPath clip;
        clip.addRoundedRect(SettingOutline.adjusted(1, 1, -1, -1), SettingRadius - 1, SettingRadius - 1);
        p.setClipPath(clip);
        body(p);
        titleStrip(p);
    }
    skinpaint::applyKeyMargin(image, SettingOutline, SettingRadius);
    return image;
}

}  // namespace settingsbg
