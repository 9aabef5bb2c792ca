#include "ui/MainLayout.h"

using namespace layout;

namespace {

const QColor TimeColour(11, 77, 109);
const QColor PanelCaptionColour(71, 99, 113);

Element hotSpot(const QString &name, int index, QRect twips, const QString &tip = {},
                Pointer pointer = Pointer::Arrow)
{
    Element e;
    e.name = name;
    e.index = index;
    e.kind = Kind::Image;
    e.twips = twips;
    e.toolTip = tip;
    e.pointer = pointer;
    return e;
}

Element picture(const QString &name, const QString &parent, QRect twips, const QString &pic,
                bool shown, Pointer pointer = Pointer::Arrow, bool stretch = false)
{
    Element e;
    e.name = name;
    e.kind = Kind::Image;
    e.parent = parent;
    e.twips = twips;
    e.picture = pic;
    e.shown = shown;
    e.pointer = pointer;
    e.stretch = stretch;
    return e;
}

Element label(const QString &name, const QString &parent, QRect twips, const QString &text,
              double points, QColor colour, bool autoSize, bool centred = false, bool bold = false)
{
    Element e;
    e.name = name;
    e.kind = Kind::Label;
    e.parent = parent;
    e.twips = twips;
    e.text = text;
    e.font.points = points;
    e.font.bold = bold;
    e.colour = colour;
    e.autoSize = autoSize;
    e.centred = centred;
    return e;
}

Element panel(const QString &name, QRect twips, const QString &pic)
{
    Element e;
    e.name = name;
    e.kind = Kind::Panel;
    e.twips = twips;
    e.picture = pic;
    e.shown = false;
    return e;
}

Element holder(const QString &name, QRect twips, const QString &text = {})
{
    Element e;
    e.name = name;
    e.kind = Kind::Holder;
    e.twips = twips;
    e.text = text;
    e.shown = false;
    return e;
}

// Picture stores lie wholly outside the client area and are never shown; only
// their pictures are used, to light the hot spot of the same index.
Element store(const QString &name, int index, QSize pixels, int row, int column)
{
    Element e;
    e.name = name;
    e.index = index;
    e.kind = Kind::Image;
    e.twips = QRect(11700 + column * 1800, 600 + row * 600, pixels.width() * TwipsPerPixel,
                    pixels.height() * TwipsPerPixel);
    e.picture = index >= 0 ? QStringLiteral("%1(%2)").arg(name).arg(index) : name;
    e.shown = false;
    return e;
}

}  // namespace

Table mainLayout()
{
    Table t;

    // title strip, menu strip and toolbar
    t << hotSpot("imgMin", -1, {10560, 180, 330, 330}, QStringLiteral("Minimize"));
    t << hotSpot("imgExit", -1, {10940, 180, 330, 330}, QStringLiteral("Exit"));
    const int menuLefts[4] = {320, 1180, 2040, 2910};
    for (int i = 0; i < 4; ++i)
        t << hotSpot("imgMenu", i, {menuLefts[i], 630, 720, 270});
    struct Tool { int left, top; const char *tip; };
    const Tool tools[8] = {
        {360, 970, "打开一个音乐/视频文件"}, {990, 970, "保存铃声"},
        {1920, 970, "随机选择一段铃声"}, {2580, -5970, ""},
        {2560, 975, "给朋友发送EMAIL分享你的铃声"}, {3445, 975, "系统设置"},
        {4150, 975, "官方网站"}, {4780, 975, "退出程序"}};
    for (int i = 0; i < 8; ++i)
        t << hotSpot("imgButton", i, {tools[i].left, tools[i].top, 555, 480}, QString::fromUtf8(tools[i].tip));

    // main panel
    t << hotSpot("imgOpen", -1, {2190, 3300, 465, 540}, {}, Pointer::Hand);

    // transport strip
    const char *transportTips[6] = {"播放", "停止", "暂停", "选择铃声起始位置", "选择铃声结束位置", "播放选择的段落"};
    for (int i = 0; i < 6; ++i)
        t << hotSpot("imgCtrlButton", i, {300 + i * 660, 7240, 510, 480}, QString::fromUtf8(transportTips[i]));
    t << hotSpot("imgCtrlButton", 6, {9640, 7240, 1620, 480}, QStringLiteral("保存铃声"));
    t << label("lblTime", {}, {4515, 7350, 1125, 345}, "00:00:00", 14.25, TimeColour, true);
    const int columns[3] = {6630, 7610, 8580};
    const char *selNames[3] = {"lblSelBegin", "lblSelEnd", "lblSelLength"};
    const char *viewNames[3] = {"lblViewBegin", "lblViewEnd", "lblViewLength"};
    for (int c = 0; c < 3; ++c) {
        t << label(selNames[c], {}, {columns[c], 7350, 660, 195}, "00:00:00", 8.25, TimeColour, true);
        t << label(viewNames[c], {}, {columns[c], 7710, 660, 195}, "00:00:00", 8.25, TimeColour, true);
    }

    // status strip
    t << label("lblText", {}, {270, 8070, 2040, 210}, {}, 9, TimeColour, true, false, true);
    t << hotSpot("imgFeedback", -1, {9720, 8070, 1245, 255}, QStringLiteral("意见反馈"), Pointer::Hand);

    // panels, drawn above the windowless elements
    t << panel("picOpened", {150, 1560, 11195, 5400}, "picOpened");
    t << picture("imgTopPoint", "picOpened", {0, 780, 195, 120}, "imgTopPoint", true, Pointer::Hand);
    t << picture("imgLine", "picOpened", {90, 870, 15, 4260}, "imgLine", true);
    t << picture("imgBottomPoint", "picOpened", {0, 5130, 195, 120}, "imgBottomPoint", true, Pointer::Hand);
    for (int h = 1; h <= 2; ++h) {
        const int left = h == 1 ? 0 : 10920;
        t << picture(QStringLiteral("imgSelectTop%1").arg(h), "picOpened", {left, 780, 195, 120}, "imgSelectTop", false, Pointer::Hand);
        t << picture(QStringLiteral("imgSelectLine%1").arg(h), "picOpened", {left + 90, 870, 15, 4260}, "imgSelectLine", false);
        t << picture(QStringLiteral("imgSelectBottom%1").arg(h), "picOpened", {left, 5130, 195, 120}, "imgSelectBottom", false, Pointer::Hand);
    }
    t << label("lblFileName", "picOpened", {2340, 120, 765, 210}, "C:\\1.MP3", 0, PanelCaptionColour, true, true);
    t << label("lblTimeLeft", "picOpened", {70, 4800, 360, 195}, "Start", 8.25, PanelCaptionColour, true);
    t << label("lblTimeRight", "picOpened", {10770, 4800, 270, 195}, "End", 8.25, PanelCaptionColour, true);
    t << holder("txtFullTime", {6300, 4950, 2655, 315}, "0");

    t << panel("picPBBack", {1990, 6000, 6935, 555}, "picPBBack");
    t << picture("imgPB", "picPBBack", {1350, 195, 15, 195}, "imgPB", true, Pointer::Arrow, true);
    t << label("lblPB", "picPBBack", {2865, 195, 2355, 195}, "0%", 7.5, Qt::black, false, true, true);

    Element pro = panel("picPro", {4650, 8070, 4215, 225}, {});
    t << pro;
    t << picture("imgPro", "picPro", {0, 0, 15, 225}, "imgPro", true, Pointer::Arrow, true);
    t << label("lblPro", "picPro", {1890, -15, 255, 195}, "0%", 8.25, QColor(), true, true);

    // hidden value holders
    t << holder("txtAction", {7980, 630, 1545, 345}, "Text1");
    t << holder("txtSave", {7050, 360, 705, 315});
    t << holder("lstFile", {9780, 2460, 525, 480});
    t << holder("wb", {6060, -4420, 30, 105});

    // picture stores
    for (int i = 0; i < 8; ++i)
        t << store("imgButtonData", i, {37, 32}, i, 0);
    for (int i = 0; i < 4; ++i)
        t << store("imgMenuData", i, {48, 18}, i, 1);
    for (int i = 0; i < 7; ++i) {
        const QSize size = i == 6 ? QSize(107, 32) : QSize(34, 32);
        t << store("imgCtrlButtonLight", i, size, i, 2);
        t << store("imgCtrlButtonPress", i, size, i, 3);
    }
    t << store("imgMinLight", -1, {22, 22}, 0, 4);
    t << store("imgExitLight", -1, {22, 22}, 1, 4);
    t << store("imgGettingStartedLight", -1, {31, 36}, 2, 4);
    return t;
}
