#include "ui/MainLayout.h"

#include <algorithm>

#include <QCoreApplication>

using namespace layout;

namespace {

const QColor TimeColour(11, 77, 109);
const QColor PanelCaptionColour(71, 99, 113);
const QColor LinkColour(24, 92, 168);
constexpr auto Image = Kind::Image;
constexpr auto Label = Kind::Label;
constexpr auto Panel = Kind::Panel;
constexpr auto Holder = Kind::Holder;
constexpr auto LabelButton = Kind::LabelButton;
constexpr auto SmallButton = Kind::SmallButton;
constexpr auto Hand = Pointer::Hand;

// One row per element: name (index), kind, container, twips rectangle,
// visibility, text, tool tip, pointer, picture, font, colour, alignment.
const Table &designRows()
{
    static const Table rows = {
        // title strip, menu strip and toolbar
        {.name = "imgMin", .kind = Image, .twips = {10560, 180, 330, 330}, .toolTip = QT_TRANSLATE_NOOP("Layout", "最小化")},
        {.name = "imgExit", .kind = Image, .twips = {10940, 180, 330, 330}, .toolTip = QT_TRANSLATE_NOOP("Layout", "关闭")},
        {.name = "imgMenu", .index = 0, .kind = Image, .twips = {320, 630, 720, 270}},
        {.name = "imgMenu", .index = 1, .kind = Image, .twips = {1180, 630, 720, 270}},
        {.name = "imgMenu", .index = 2, .kind = Image, .twips = {2040, 630, 720, 270}},
        {.name = "imgMenu", .index = 3, .kind = Image, .twips = {2900, 630, 720, 270}},
        {.name = "imgMenu", .index = 4, .kind = Image, .twips = {3760, 630, 720, 270}},
        {.name = "imgButton", .index = 0, .kind = Image, .twips = {360, 970, 555, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "打开一个音乐/视频文件")},
        {.name = "imgButton", .index = 1, .kind = Image, .twips = {990, 970, 555, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "保存铃声")},
        {.name = "imgButton", .index = 2, .kind = Image, .twips = {1920, 970, 555, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "随机选择一段铃声")},
        {.name = "imgButton", .index = 3, .kind = Image, .twips = {2580, -5970, 555, 480}},  // out of sight
        {.name = "imgButton", .index = 4, .kind = Image, .twips = {2560, 975, 555, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "给朋友发送EMAIL分享你的铃声")},
        {.name = "imgButton", .index = 5, .kind = Image, .twips = {3445, 975, 555, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "系统设置")},
        {.name = "imgButton", .index = 6, .kind = Image, .twips = {4150, 975, 555, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "官方网站")},
        {.name = "imgButton", .index = 7, .kind = Image, .twips = {4780, 975, 555, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "退出程序")},

        // main panel
        {.name = "imgOpen", .kind = Image, .twips = {2190, 3300, 465, 540}, .pointer = Hand},

        // transport strip
        {.name = "imgCtrlButton", .index = 0, .kind = Image, .twips = {210, 7240, 510, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "播放")},
        {.name = "imgCtrlButton", .index = 1, .kind = Image, .twips = {795, 7240, 510, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "停止")},
        {.name = "imgCtrlButton", .index = 2, .kind = Image, .twips = {1380, 7240, 510, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "暂停")},
        {.name = "imgCtrlButton", .index = 3, .kind = Image, .twips = {1965, 7240, 510, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "选择铃声起始位置")},
        {.name = "imgCtrlButton", .index = 4, .kind = Image, .twips = {2550, 7240, 510, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "选择铃声结束位置")},
        {.name = "imgCtrlButton", .index = 5, .kind = Image, .twips = {3135, 7240, 510, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "播放选择的段落")},
        {.name = "imgCtrlButton", .index = 6, .kind = Image, .twips = {9915, 7240, 1350, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "保存铃声")},
        {.name = "imgCtrlButton", .index = 7, .kind = Image, .twips = {3720, 7240, 510, 480}, .toolTip = QT_TRANSLATE_NOOP("Layout", "循环")},
        {.name = "lblTime", .kind = Label, .twips = {4440, 7350, 1365, 345}, .text = "00:00.0", .font = {14.25}, .colour = TimeColour, .autoSize = true},
        {.name = "lblSelBegin", .kind = Label, .twips = {6465, 7350, 1020, 195}, .text = "00:00.000", .font = {8.25}, .colour = TimeColour, .autoSize = true},
        {.name = "lblSelEnd", .kind = Label, .twips = {7590, 7350, 1020, 195}, .text = "00:00.000", .font = {8.25}, .colour = TimeColour, .autoSize = true},
        {.name = "lblSelLength", .kind = Label, .twips = {8715, 7350, 1020, 195}, .text = "00:00.000", .font = {8.25}, .colour = TimeColour, .autoSize = true},
        {.name = "lblViewBegin", .kind = Label, .twips = {6465, 7710, 1020, 195}, .text = "00:00.000", .font = {8.25}, .colour = TimeColour, .autoSize = true},
        {.name = "lblViewEnd", .kind = Label, .twips = {7590, 7710, 1020, 195}, .text = "00:00.000", .font = {8.25}, .colour = TimeColour, .autoSize = true},
        {.name = "lblViewLength", .kind = Label, .twips = {8715, 7710, 1020, 195}, .text = "00:00.000", .font = {8.25}, .colour = TimeColour, .autoSize = true},

        // status strip
        {.name = "lblText", .kind = Label, .twips = {270, 8070, 2040, 210}, .font = {9, true}, .colour = TimeColour, .autoSize = true},
        {.name = "imgFeedback", .kind = Image, .twips = {9720, 8070, 1245, 255}, .toolTip = QT_TRANSLATE_NOOP("Layout", "意见反馈"), .pointer = Hand},
        // what the last save or cancelled job came to, with the saved file's two actions after it
        {.name = "lblNotice", .kind = Label, .twips = {2550, 8070, 3000, 210}, .shown = false, .font = {9}, .colour = TimeColour, .autoSize = true},
        {.name = "lblNoticeFolder", .kind = LabelButton, .twips = {5700, 8070, 900, 210}, .shown = false, .text = QT_TRANSLATE_NOOP("Layout", "打开文件夹"), .toolTip = QT_TRANSLATE_NOOP("Layout", "在文件管理器里打开铃声所在的文件夹"), .pointer = Hand, .font = {9, false, true}, .colour = LinkColour, .autoSize = true},
        {.name = "lblNoticePlay", .kind = LabelButton, .twips = {6750, 8070, 450, 210}, .shown = false, .text = QT_TRANSLATE_NOOP("Layout", "播放"), .toolTip = QT_TRANSLATE_NOOP("Layout", "用系统的播放器播放保存的铃声"), .pointer = Hand, .font = {9, false, true}, .colour = LinkColour, .autoSize = true},
        {.name = "cmdCancelCut", .kind = SmallButton, .twips = {8925, 8025, 690, 300}, .shown = false, .text = QT_TRANSLATE_NOOP("Layout", "取消"), .toolTip = QT_TRANSLATE_NOOP("Layout", "停止保存铃声（Esc）"), .font = {8.25}},

        // panels, drawn above the windowless elements, and their children
        {.name = "picOpened", .kind = Panel, .twips = {150, 1560, 11195, 5400}, .shown = false, .picture = "picOpened"},
        {.name = "imgTopPoint", .kind = Image, .parent = "picOpened", .twips = {0, 780, 195, 120}, .pointer = Hand, .picture = "imgTopPoint"},
        {.name = "imgLine", .kind = Image, .parent = "picOpened", .twips = {90, 870, 15, 4260}, .picture = "imgLine"},
        {.name = "imgBottomPoint", .kind = Image, .parent = "picOpened", .twips = {0, 5130, 195, 120}, .pointer = Hand, .picture = "imgBottomPoint"},
        {.name = "imgSelectTop1", .kind = Image, .parent = "picOpened", .twips = {0, 780, 195, 120}, .shown = false, .pointer = Hand, .picture = "imgSelectTop"},
        {.name = "imgSelectLine1", .kind = Image, .parent = "picOpened", .twips = {90, 870, 15, 4260}, .shown = false, .picture = "imgSelectLine"},
        {.name = "imgSelectBottom1", .kind = Image, .parent = "picOpened", .twips = {0, 5130, 195, 120}, .shown = false, .pointer = Hand, .picture = "imgSelectBottom"},
        {.name = "imgSelectTop2", .kind = Image, .parent = "picOpened", .twips = {10920, 780, 195, 120}, .shown = false, .pointer = Hand, .picture = "imgSelectTop"},
        {.name = "imgSelectLine2", .kind = Image, .parent = "picOpened", .twips = {11010, 870, 15, 4260}, .shown = false, .picture = "imgSelectLine"},
        {.name = "imgSelectBottom2", .kind = Image, .parent = "picOpened", .twips = {10920, 5130, 195, 120}, .shown = false, .pointer = Hand, .picture = "imgSelectBottom"},
        {.name = "lblFileName", .kind = Label, .parent = "picOpened", .twips = {2340, 120, 765, 210}, .colour = PanelCaptionColour, .centred = true, .autoSize = true},
        {.name = "lblTimeLeft", .kind = Label, .parent = "picOpened", .twips = {70, 4800, 360, 195}, .text = QT_TRANSLATE_NOOP("Layout", "开始"), .font = {8.25}, .colour = PanelCaptionColour, .autoSize = true},
        {.name = "lblTimeRight", .kind = Label, .parent = "picOpened", .twips = {10770, 4800, 270, 195}, .text = QT_TRANSLATE_NOOP("Layout", "结束"), .font = {8.25}, .colour = PanelCaptionColour, .autoSize = true},

        {.name = "picPBBack", .kind = Panel, .twips = {1990, 6000, 6935, 555}, .shown = false, .picture = "picPBBack"},
        {.name = "imgPB", .kind = Image, .parent = "picPBBack", .twips = {1350, 195, 15, 195}, .picture = "imgPB", .stretch = true},
        {.name = "lblPB", .kind = Label, .parent = "picPBBack", .twips = {2865, 195, 2355, 195}, .text = "0%", .font = {7.5, true}, .colour = Qt::black, .centred = true},

        {.name = "cmdCancelDecode", .kind = SmallButton, .twips = {9000, 6090, 810, 375}, .shown = false, .text = QT_TRANSLATE_NOOP("Layout", "取消"), .toolTip = QT_TRANSLATE_NOOP("Layout", "停止打开这个文件（Esc）"), .font = {9}},

        {.name = "picPro", .kind = Panel, .twips = {4650, 8070, 4215, 225}, .shown = false},  // white, framed
        {.name = "imgPro", .kind = Image, .parent = "picPro", .twips = {0, 0, 15, 225}, .picture = "imgPro", .stretch = true},
        {.name = "lblPro", .kind = Label, .parent = "picPro", .twips = {1890, -15, 255, 195}, .text = "0%", .font = {8.25}, .centred = true, .autoSize = true},

        // hidden
        {.name = "wb", .kind = Holder, .twips = {6060, -4420, 30, 105}, .shown = false},
    };
    return rows;
}

// Picture stores lie wholly outside the client area, right of it, and are never
// shown; only their pictures are used, to light the hot spot of the same index.
void addStores(Table &t)
{
    // One picture of `wideSize` in each set: the save button's.
    struct Set { const char *name; int count; QSize size; QSize wideSize = {}; int wide = -1; };
    const Set sets[] = {{"imgButtonData", 8, {37, 32}},
                        {"imgMenuData", 5, {48, 18}},
                        {"imgCtrlButtonLight", 8, {34, 32}, {90, 32}, 6},
                        {"imgCtrlButtonPress", 8, {34, 32}, {90, 32}, 6},
                        {"imgMinLight", 0, {22, 22}, {}},
                        {"imgExitLight", 0, {22, 22}, {}},
                        {"imgGettingStartedLight", 0, {31, 36}, {}}};
    int column = 0;
    for (const Set &set : sets) {
        for (int i = 0; i < std::max(set.count, 1); ++i) {
            const bool indexed = set.count > 0;
            const QSize size = i == set.wide ? set.wideSize : set.size;
            Element e{.name = set.name, .index = indexed ? i : -1, .kind = Image,
                      .twips = {11700 + column * 1800, 600 + i * 600, size.width() * TwipsPerPixel,
                                size.height() * TwipsPerPixel},
                      .shown = false};
            e.picture = e.key();
            t << e;
        }
        ++column;
    }
}

}  // namespace

Table mainLayout()
{
    Table t = designRows();
    addStores(t);
    return t;
}
