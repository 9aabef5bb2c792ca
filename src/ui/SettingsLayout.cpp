#include "ui/SettingsLayout.h"

#include <QCoreApplication>

using namespace layout;

Table settingsLayout()
{
    // the two text buttons look like links: 12 pt bold underlined blue
    const Font linkFont{12.0, true, true};
    const QColor linkColour(0, 0, 255);
    return {
        {.name = "cmbOF", .kind = Kind::DropDown, .twips = {690, 1200, 4695, 330}, .items = {QT_TRANSLATE_NOOP("Layout", "打开文件夹"), QT_TRANSLATE_NOOP("Layout", "不要打开")}},
        {.name = "cmbRS", .kind = Kind::DropDown, .twips = {690, 2220, 4695, 330}, .items = {QT_TRANSLATE_NOOP("Layout", "播放"), QT_TRANSLATE_NOOP("Layout", "不播放")}},
        {.name = "cmbBack", .kind = Kind::LabelButton, .twips = {3510, 2940, 675, 285}, .text = QT_TRANSLATE_NOOP("Layout", "返  回"),
         .pointer = Pointer::Hand, .font = linkFont, .colour = linkColour, .centred = true, .autoSize = true},
        {.name = "cmdOK", .kind = Kind::LabelButton, .twips = {1680, 2940, 675, 285}, .text = QT_TRANSLATE_NOOP("Layout", "确  定"),
         .pointer = Pointer::Hand, .font = linkFont, .colour = linkColour, .centred = true, .autoSize = true},
        {.name = "Image1", .kind = Kind::Image, .twips = {5820, 180, 225, 285}, .pointer = Pointer::Hand},
    };
}
