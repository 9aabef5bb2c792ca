#include "ui/SettingsLayout.h"

using namespace layout;

namespace {

Element dropDown(const QString &name, QRect twips, const QStringList &items)
{
    Element e;
    e.name = name;
    e.kind = Kind::DropDown;
    e.twips = twips;
    e.items = items;
    return e;
}

// Both text buttons share the look of a link: 12 pt bold underlined blue.
Element textButton(const QString &name, QRect twips, const QString &text)
{
    Element e;
    e.name = name;
    e.kind = Kind::LabelButton;
    e.twips = twips;
    e.text = text;
    e.font = Font{12.0, true, true};
    e.colour = QColor(0, 0, 255);
    e.pointer = Pointer::Hand;
    e.centred = true;
    e.autoSize = true;
    return e;
}

Element closeCross()
{
    Element e;
    e.name = QStringLiteral("Image1");
    e.kind = Kind::Image;
    e.twips = QRect(5820, 180, 225, 285);
    e.pointer = Pointer::Hand;
    return e;
}

}  // namespace

Table settingsLayout()
{
    return {
        dropDown(QStringLiteral("cmbOF"), QRect(690, 1200, 4695, 330),
                 {QStringLiteral("打开文件夹"), QStringLiteral("不要打开")}),
        dropDown(QStringLiteral("cmbRS"), QRect(690, 2220, 4695, 330),
                 {QStringLiteral("播放"), QStringLiteral("不播放")}),
        textButton(QStringLiteral("cmbBack"), QRect(3510, 2940, 675, 285), QStringLiteral("返  回")),
        textButton(QStringLiteral("cmdOK"), QRect(1680, 2940, 675, 285), QStringLiteral("确  定")),
        closeCross(),
    };
}
