#include "MainBackground.h"

#include "ButtonFaces.h"
#include "Glyphs.h"
#include "SkinGeometry.h"
#include "SkinPalette.h"
#include "SkinPaint.h"

#include <QPainterPath>
#include <QCoreApplication>

using namespace skingeo;
using skinpaint::band;
using skinpaint::bandGradient;

namespace mainbg {
namespace {

const int Width = MainSize.width();

QRectF rows(int top, int bottom, int left = 0, int right = MainSize.width() - 1)
{
    return QRectF(left, top, right - left + 1, bottom - top + 1);
}

// A vertical groove: a dark line with a light line beside it.
void groove(QPainter &p, int x, int top, int bottom)
{
    band(p, rows(top, bottom, x, x), QColor(170, 192, 218));
    band(p, rows(top, bottom, x + 1, x + 1), QColor(255, 255, 255, 220));
}

void titleStrip(QPainter &p)
{
    const QRectF strip = rows(TitleTop, TitleBottom);
    bandGradient(p, strip, palette::TitleTop, palette::TitleBottom);
    QRectF gloss = strip;
    gloss.setHeight(16);
    bandGradient(p, gloss, QColor(255, 255, 255, 34), QColor(255, 255, 255, 8));
    band(p, rows(TitleTop + 1, TitleTop + 1), QColor(255, 255, 255, 46));
    band(p, rows(TitleBottom, TitleBottom), QColor(8, 28, 56));

    glyphs::note(p, QRectF(12, 10, 18, 18), QColor(150, 206, 255));
    const QFont font = skinpaint::latinFont(15, true);
    p.setFont(font);
    const QFontMetricsF fm(font);
    const qreal baseline = qRound(19.5 + (fm.ascent() - fm.descent()) / 2);
    skinpaint::shadowedText(p, QPointF(37, baseline), QStringLiteral("Brindlewave"),
                            palette::TitleText, QColor(0, 10, 30));
}

void menuStrip(QPainter &p)
{
    bandGradient(p, rows(MenuTop, MenuBottom), palette::MenuTop, palette::MenuBottom);
    band(p, rows(MenuTop, MenuTop), palette::StripHighlight);
    band(p, rows(MenuBottom, MenuBottom), QColor(196, 212, 231));
}

void toolbarStrip(QPainter &p)
{
    bandGradient(p, rows(ToolbarTop, ToolbarBottom), palette::ToolbarTop, palette::ToolbarBottom);
    band(p, rows(ToolbarBottom, ToolbarBottom), palette::StripLine);
    // grooves between the groups: open/save, cut/share, settings/web/exit
    groove(p, 115, 69, 94);
    groove(p, 218, 69, 94);
    groove(p, 366, 69, 94);
}

void panelFrame(QPainter &p)
{
    // the body between the strips, and a sunken frame around the artwork
    band(p, rows(PanelTop - 1, PanelTop - 1, PanelLeft - 1, PanelRight + 1), QColor(108, 138, 174));
    band(p, rows(PanelBottom + 1, PanelBottom + 1, PanelLeft - 1, PanelRight + 1), QColor(244, 248, 252));
    band(p, rows(PanelTop - 1, PanelBottom, PanelLeft - 1, PanelLeft - 1), QColor(108, 138, 174));
    band(p, rows(PanelTop - 1, PanelBottom + 1, PanelRight + 1, PanelRight + 1), QColor(244, 248, 252));
}

void readout(QPainter &p)
{
    // the play-time display behind lblTime
    const QRectF box = ReadoutBox;
    p.setPen(QPen(palette::ReadoutBorder, 1));
    p.setBrush(skinpaint::vertical(box, palette::ReadoutTop, palette::ReadoutBottom));
    p.drawRoundedRect(box, 4, 4);
    QLinearGradient inset(box.topLeft(), box.topLeft() + QPointF(0, 5));
    inset.setColorAt(0, QColor(40, 80, 120, 46));
    inset.setColorAt(1, QColor(40, 80, 120, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(inset);
    p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 3.5, 3.5);
}

void selectionTable(QPainter &p)
{
    const QFont font = skinpaint::cjkFont(11);
    const QFontMetricsF fm(font);
    p.setFont(font);

    // a light group plate holding the table
    const QRectF plate(394.5, 468.5, 257, 62);
    p.setPen(QPen(QColor(186, 204, 226), 1));
    p.setBrush(QColor(255, 255, 255, 80));
    p.drawRoundedRect(plate, 4, 4);

    static const char *const heads[3] = {QT_TRANSLATE_NOOP("MainBackground", "开始位置"),
                                         QT_TRANSLATE_NOOP("MainBackground", "结束位置"),
                                         QT_TRANSLATE_NOOP("MainBackground", "长度")};
    for (int col = 0; col < 3; ++col) {
        const QRect label = selLabel(col, 0);
        const QRectF column(label.left() - 4, 0, SelBoxWidth, 0);
        const QString head = QCoreApplication::translate("MainBackground", heads[col]);
        p.setPen(palette::CaptionText);
        p.drawText(QPointF(qRound(column.center().x() - fm.horizontalAdvance(head) / 2),
                           qRound(478.5 + (fm.ascent() - fm.descent()) / 2)),
                   head);
        for (int row = 0; row < 2; ++row) {
            const QRect cell = selLabel(col, row);
            const QRectF box(cell.left() - 4 + 0.5, cell.top() - 2 + 0.5, SelBoxWidth - 1, 16);
            p.setPen(QPen(palette::BoxBorder, 1));
            p.setBrush(palette::BoxFill);
            p.drawRoundedRect(box, 2, 2);
            p.setPen(QPen(QColor(30, 70, 110, 36), 1));
            p.drawLine(QPointF(box.left() + 2, box.top() + 1), QPointF(box.right() - 2, box.top() + 1));
        }
    }
    static const char *const rowHeads[2] = {QT_TRANSLATE_NOOP("MainBackground", "选择"),
                                            QT_TRANSLATE_NOOP("MainBackground", "浏览")};
    p.setPen(palette::CaptionText);
    for (int row = 0; row < 2; ++row) {
        const QRect cell = selLabel(0, row);
        const QString head = QCoreApplication::translate("MainBackground", rowHeads[row]);
        const qreal mid = cell.top() + 6.5;
        p.drawText(QPointF(cell.left() - 8 - fm.horizontalAdvance(head),
                           qRound(mid + (fm.ascent() - fm.descent()) / 2)),
                   head);
    }
}

void transportStrip(QPainter &p)
{
    bandGradient(p, rows(TransportTop, TransportBottom), palette::TransportTop, palette::TransportBottom);
    band(p, rows(TransportTop, TransportTop), palette::StripLine);
    band(p, rows(TransportTop + 1, TransportTop + 1), palette::StripHighlight);
    groove(p, 286, 478, 519);
    groove(p, 656, 478, 519);
    readout(p);
    selectionTable(p);
}

void statusStrip(QPainter &p)
{
    bandGradient(p, rows(StatusTop, StatusBottom), palette::StatusTop, palette::StatusBottom);
    band(p, rows(StatusTop, StatusTop), palette::StripLine);
    band(p, rows(StatusTop + 1, StatusTop + 1), palette::StripHighlight);

    // feedback link: a green check and the underlined words
    const QRect spot = FeedbackRect;
    glyphs::check(p, QRectF(spot.left() + 2, 537.5, 15, 15));
    const QFont font = skinpaint::cjkFont(12);
    const QFontMetricsF fm(font);
    const QString text = QCoreApplication::translate("MainBackground", "意见反馈");
    const qreal x = spot.left() + 21;
    // centred on the strip's inside (rows 536..554), the underline clear of the
    // ideographs' feet
    const qreal baseline = qRound(545 + (fm.ascent() - fm.descent()) / 2);
    p.setFont(font);
    p.setPen(palette::LinkText);
    p.drawText(QPointF(x, baseline), text);
    band(p, QRectF(x, baseline + 3, fm.horizontalAdvance(text), 1), palette::LinkText);

    // size grip, decoration only, tucked inside the rounded corner
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j <= i; ++j) {
            const int gx = 754 - 4 * j;
            const int gy = 550 - 4 * (i - j);
            band(p, QRectF(gx + 1, gy + 1, 2, 2), QColor(255, 255, 255));
            band(p, QRectF(gx, gy, 2, 2), QColor(120, 146, 178));
        }
}

}  // namespace

QImage bare(qreal dpr)
{
    QImage image = skinpaint::canvas(MainSize, dpr, palette::FrameEdge);
    QPainter p(&image);
    skinpaint::prepare(p);

    // everything inside a one-pixel dark edge
    const QRectF inner = MainOutline.adjusted(1, 1, -1, -1);
    QPainterPath clip;
    clip.addRoundedRect(inner, MainRadius - 1, MainRadius - 1);
    p.setClipPath(clip);
    band(p, QRectF(0, 0, Width, MainSize.height()), palette::FrameBody);

    titleStrip(p);
    menuStrip(p);
    toolbarStrip(p);
    panelFrame(p);
    quickstart::paint(p, QRect(PanelLeft, PanelTop, PanelRight - PanelLeft + 1, PanelBottom - PanelTop + 1));
    transportStrip(p);
    statusStrip(p);
    return image;
}

QImage finished(const QImage &bare)
{
    QImage image = bare.copy();
    image.setDevicePixelRatio(bare.devicePixelRatio());
    {
        QPainter p(&image);
        skinpaint::prepare(p);
        faces::titleButton(p, MinRect, false, faces::Look::Rest);
        faces::titleButton(p, ExitRect, true, faces::Look::Rest);
        for (int i = 0; i < MenuCount; ++i)
            faces::menuButton(p, menuRect(i), i, faces::Look::Rest);
        for (int i = 0; i < 8; ++i)
            if (i != 3)
                faces::toolbarButton(p, buttonRect(i), i, faces::Look::Rest);
        glyphs::quickStartDocument(p, OpenRect, false);
        for (int i = 0; i < CtrlCount; ++i)
            faces::transportButton(p, ctrlRect(i), i, faces::Look::Rest);
    }
    skinpaint::applyKeyMargin(image, MainOutline, MainRadius);
    return image;
}

}  // namespace mainbg
