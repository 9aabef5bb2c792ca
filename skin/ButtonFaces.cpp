#include "ButtonFaces.h"

#include "Glyphs.h"
#include "SkinGeometry.h"
#include "SkinPalette.h"
#include "SkinPaint.h"

#include <QPainterPath>
#include <iterator>
#include <QCoreApplication>

namespace faces {
namespace {

struct FaceColours {
    QColor top, bottom, border, glyph;
};

FaceColours squareColours(Look look)
{
    switch (look) {
    case Look::Lit: return {palette::LitTop, palette::LitBottom, palette::LitBorder, palette::GlyphLit};
    case Look::Pressed:
        return {palette::PressTop, palette::PressBottom, palette::PressBorder, palette::GlyphPress};
    case Look::Rest: break;
    }
    return {palette::FaceTop, palette::FaceBottom, palette::FaceBorder, palette::Glyph};
}

FaceColours saveColours(Look look)
{
    switch (look) {
    case Look::Lit: return {palette::SaveLitTop, palette::SaveLitBottom, palette::SaveBorder, Qt::white};
    case Look::Pressed:
        return {palette::SavePressTop, palette::SavePressBottom, palette::SaveBorder, QColor(226, 238, 252)};
    case Look::Rest: break;
    }
    return {palette::SaveTop, palette::SaveBottom, palette::SaveBorder, Qt::white};
}

// A rounded, glossy body: drop line below, gradient, a light upper half and a
// one-pixel inner highlight; a pressed body instead gets a shadow along its top.
// Coloured bodies with white writing take less gloss, or the writing fades.
void body(QPainter &p, const QRectF &outer, const FaceColours &c, Look look, qreal radius, qreal gloss = 1.0)
{
    const QRectF shape = outer.adjusted(0.5, 0.5, -0.5, -1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(16, 46, 86, look == Look::Pressed ? 20 : 46));
    p.drawRoundedRect(shape.translated(0, 1), radius, radius);

    p.setPen(QPen(c.border, 1));
    p.setBrush(skinpaint::vertical(shape, c.top, c.bottom));
    p.drawRoundedRect(shape, radius, radius);

    const QRectF inner = shape.adjusted(1, 1, -1, -1);
    if (look == Look::Pressed) {
        QLinearGradient shadow(inner.topLeft(), inner.topLeft() + QPointF(0, 6));
        shadow.setColorAt(0, QColor(10, 30, 60, 70));
        shadow.setColorAt(1, QColor(10, 30, 60, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(shadow);
        p.drawRoundedRect(inner, radius - 1, radius - 1);
        return;
    }
    QRectF upper = inner;
    upper.setHeight(inner.height() * 0.48);
    p.setPen(Qt::NoPen);
    p.setBrush(skinpaint::vertical(upper, QColor(255, 255, 255, int((look == Look::Lit ? 150 : 120) * gloss)),
                                   QColor(255, 255, 255, int(30 * gloss))));
    p.drawRoundedRect(upper, radius - 1, radius - 1);
    if (look == Look::Lit) {
        QRadialGradient glow(QPointF(inner.center().x(), inner.bottom()), inner.width() * 0.6);
        glow.setColorAt(0, QColor(255, 255, 255, int(150 * gloss)));
        glow.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(glow);
        p.drawRoundedRect(inner, radius - 1, radius - 1);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, look == Look::Lit ? 200 : 150), 1));
    p.drawRoundedRect(inner.adjusted(0, 0, 0, 0), radius - 1, radius - 1);
}

void saveLabel(QPainter &p, const QRectF &face, const QColor &colour, const QPointF &shift)
{
    const QString text = QCoreApplication::translate("ButtonFaces", "保存");
    const QFont font = skinpaint::cjkFont(15, true);
    const QFontMetricsF fm(font);
    const qreal icon = 14, gap = 6;
    const qreal width = icon + gap + fm.horizontalAdvance(text);
    const qreal left = qRound(face.center().x() - width / 2) + shift.x();
    const qreal mid = face.top() + int((face.height() - 1) / 2) + shift.y();
    glyphs::floppyOutline(p, QRectF(left, mid - icon / 2, icon, icon), colour);
    p.setFont(font);
    const qreal baseline = qRound(mid + (fm.ascent() - fm.descent()) / 2);
    skinpaint::shadowedText(p, QPointF(left + icon + gap, baseline), text, colour, QColor(8, 40, 90));
}

}  // namespace

void transportButton(QPainter &p, const QRectF &rect, int index, Look look)
{
    p.save();
    skinpaint::prepare(p);
    const QPointF shift = look == Look::Pressed ? QPointF(1, 1) : QPointF(0, 0);
    if (index == 6) {
        body(p, rect, saveColours(look), look, 5, 0.45);
        saveLabel(p, rect, saveColours(look).glyph, shift);
    } else {
        const FaceColours c = squareColours(look);
        body(p, rect, c, look, 4.5);
        const QRectF glyph(rect.left() + qRound((rect.width() - 16) / 2),
                           rect.top() + int((rect.height() - 17) / 2), 16, 16);
        if (look != Look::Pressed)
            glyphs::transport(p, index, glyph.translated(0, 1), QColor(255, 255, 255, 200));
        glyphs::transport(p, index, glyph.translated(shift), c.glyph);
    }
    p.restore();
}

void toolbarButton(QPainter &p, const QRectF &rect, int index, Look look)
{
    p.save();
    skinpaint::prepare(p);
    if (look != Look::Rest) {
        const QRectF tile = rect.adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(QColor(98, 156, 222), 1));
        p.setBrush(skinpaint::vertical(tile, QColor(244, 250, 255), QColor(190, 222, 252)));
        p.drawRoundedRect(tile, 4, 4);
        QRectF upper = tile.adjusted(1, 1, -1, -1);
        upper.setHeight(upper.height() * 0.45);
        p.setPen(Qt::NoPen);
        p.setBrush(skinpaint::vertical(upper, QColor(255, 255, 255, 170), QColor(255, 255, 255, 40)));
        p.drawRoundedRect(upper, 3, 3);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 190), 1));
        p.drawRoundedRect(tile.adjusted(1, 1, -1, -1), 3, 3);
    }
    glyphs::toolIcon(p, index, QRectF(rect.left() + 6, rect.top() + 4, 24, 24));
    p.restore();
}

QString menuWord(int index)
{
    static const char *const words[] = {
        QT_TRANSLATE_NOOP("ButtonFaces", "文件(F)"), QT_TRANSLATE_NOOP("ButtonFaces", "编辑(E)"),
        QT_TRANSLATE_NOOP("ButtonFaces", "工具(T)"), QT_TRANSLATE_NOOP("ButtonFaces", "设置(S)"),
        QT_TRANSLATE_NOOP("ButtonFaces", "关于(A)")};
    static_assert(std::size(words) == skingeo::MenuCount);
    return index >= 0 && index < skingeo::MenuCount ? QCoreApplication::translate("ButtonFaces", words[index]) : QString();
}

void menuButton(QPainter &p, const QRectF &rect, int index, Look look)
{
    p.save();
    skinpaint::prepare(p);
    QColor text = palette::MenuText;
    if (look != Look::Rest) {
        const QRectF pill = rect.adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(QColor(30, 88, 156), 1));
        p.setBrush(skinpaint::vertical(pill, QColor(92, 156, 226), QColor(36, 102, 184)));
        p.drawRoundedRect(pill, 3.5, 3.5);
        QRectF upper = pill.adjusted(1, 1, -1, -1);
        upper.setHeight(upper.height() * 0.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 46));
        p.drawRoundedRect(upper, 2.5, 2.5);
        text = Qt::white;
    }
    const QFont font = skinpaint::cjkFont(12);
    const QFontMetricsF fm(font);
    const QString word = menuWord(index);
    const qreal x = qRound(rect.center().x() - fm.horizontalAdvance(word) / 2);
    const qreal baseline = qRound(rect.center().y() + (fm.ascent() - fm.descent()) / 2);
    p.setFont(font);
    p.setPen(text);
    p.drawText(QPointF(x, baseline), word);
    p.restore();
}

void titleButton(QPainter &p, const QRectF &rect, bool close, Look look)
{
    p.save();
    skinpaint::prepare(p);
    QColor glyph = palette::TitleGlyph;
    const QRectF shape = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    if (look == Look::Rest) {
        p.setPen(QPen(QColor(255, 255, 255, 34), 1));
        p.setBrush(QColor(255, 255, 255, 14));
        p.drawRoundedRect(shape, 4, 4);
    } else {
        const QColor top = close ? QColor(246, 122, 98) : QColor(104, 164, 232);
        const QColor bottom = close ? QColor(196, 50, 30) : QColor(40, 100, 182);
        p.setPen(QPen(close ? QColor(120, 24, 12) : QColor(10, 40, 86), 1));
        p.setBrush(skinpaint::vertical(shape, top, bottom));
        p.drawRoundedRect(shape, 4, 4);
        QRectF upper = shape.adjusted(1, 1, -1, -1);
        upper.setHeight(upper.height() * 0.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 60));
        p.drawRoundedRect(upper, 3, 3);
        glyph = Qt::white;
    }
    if (close)
        glyphs::cross(p, rect, glyph, 2.0);
    else
        glyphs::minimise(p, rect, glyph);
    p.restore();
}

}  // namespace faces
