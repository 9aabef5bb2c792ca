#include "ui/LayoutBuilder.h"

#include "Skin.h"
#include "ui/SkinWidgets.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QWidget>

using namespace layout;

namespace {

// The tables hold source texts (marked for the "Layout" context); a widget
// shows them in the language of the installed translation.
QString shown(const QString &source)
{
    return source.isEmpty() ? source : QCoreApplication::translate("Layout", source.toUtf8().constData());
}

}  // namespace

QFont LayoutBuilder::fontOf(const Font &f) const
{
    QFont font = m_windowFont;
    if (f.points > 0)
        font.setPixelSize(pixelSizeOfPoints(f.points));
    font.setBold(f.bold);
    font.setUnderline(f.underline);
    return font;
}

QWidget *LayoutBuilder::create(const Element &e, QWidget *parent) const
{
    switch (e.kind) {
    case Kind::Holder:
        return nullptr;
    case Kind::Image: {
        auto *image = new SkinImage(e.index, parent);
        if (!e.picture.isEmpty())
            image->setPicture(m_skin.picture(e.picture));
        image->setStretch(e.stretch);
        return image;
    }
    case Kind::Label:
    case Kind::LabelButton: {
        auto *label = new SkinLabel(e.autoSize, e.kind == Kind::LabelButton, parent);
        label->setFont(fontOf(e.font));
        if (e.centred)
            label->setAlignment(Qt::AlignCenter);
        if (e.colour.isValid()) {
            QPalette p = label->palette();
            p.setColor(QPalette::WindowText, e.colour);
            label->setPalette(p);
        }
        label->setText(shown(e.text));
        return label;
    }
    case Kind::Panel: {
        auto *panel = new SkinPanel(parent);
        if (!e.picture.isEmpty())
            panel->setBackground([skin = &m_skin, name = e.picture] { return skin->picture(name); });
        return panel;
    }
    case Kind::SmallButton: {
        auto *button = new SkinSmallButton(parent);
        button->setFont(fontOf(e.font));
        button->setText(shown(e.text));
        return button;
    }
    case Kind::DropDown: {
        auto *box = new QComboBox(parent);
        for (const QString &item : e.items)
            box->addItem(shown(item));
        box->setCurrentIndex(-1);
        box->setEditable(false);
        box->setFont(fontOf(e.font));
        return box;
    }
    }
    return nullptr;
}

QHash<QString, QWidget *> LayoutBuilder::build(QWidget *window, const Table &table) const
{
    QHash<QString, QWidget *> widgets;
    QList<QWidget *> panels;
    for (const Element &e : table) {
        QWidget *parent = e.parent.isEmpty() ? window : widgets.value(e.parent, window);
        QWidget *w = create(e, parent);
        if (!w)
            continue;
        w->setObjectName(e.key());
        w->setGeometry(pixelRect(e.twips));
        if (e.autoSize) {
            if (auto *label = qobject_cast<SkinLabel *>(w))
                label->resize(label->sizeHint().expandedTo(QSize(1, label->height())));
        }
        if (!e.toolTip.isEmpty())
            w->setToolTip(shown(e.toolTip));
        if (e.pointer == Pointer::Hand)
            w->setCursor(Qt::PointingHandCursor);
        w->setVisible(e.shown);
        if (e.kind == Kind::Panel)
            panels.append(w);
        widgets.insert(e.key(), w);
    }
    // A picture panel is drawn above every windowless element of its container.
    for (QWidget *panel : panels)
        panel->raise();
    return widgets;
}
