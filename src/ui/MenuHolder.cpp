#include "ui/MenuHolder.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <QMenu>
#include <QTimer>
#include <QWidget>

const QList<MenuHolder::Popup> &MenuHolder::tree()
{
    static const QList<Popup> popups = {
        {"menuFile", QT_TRANSLATE_NOOP("Menu", "File"),
         {{"menuOpen", QT_TRANSLATE_NOOP("Menu", "打开音乐/视频文件(&O)"), "OpenFile"},
          {"menuSave", QT_TRANSLATE_NOOP("Menu", "保存铃声(&S)"), "SaveRingTone"},
          {"menuClose", QT_TRANSLATE_NOOP("Menu", "关闭文件(&C)"), "CloseFile"},
          {"menuRecent", QT_TRANSLATE_NOOP("Menu", "最近打开的文件(&R)"), "OpenRecent"},
          {"menuS", "-", nullptr},
          {"menuExit", QT_TRANSLATE_NOOP("Menu", "退出(&E)"), "Exit"}}},
        {"menuEdit", QT_TRANSLATE_NOOP("Menu", "Edit"),
         {{"menuUndo", QT_TRANSLATE_NOOP("Menu", "撤销(&U)\tCtrl+Z"), "Undo"},
          {"menuRedo", QT_TRANSLATE_NOOP("Menu", "重做(&R)\tCtrl+Shift+Z"), "Redo"}}},
        {"menuTools", QT_TRANSLATE_NOOP("Menu", "Tools"),
         {{"menuRRC", QT_TRANSLATE_NOOP("Menu", "随机截取铃声(&R)"), "RRC"},
          {"menuSR", QT_TRANSLATE_NOOP("Menu", "给朋友发信分享铃声(&S)"), "SR"},
          {"menuLoop", QT_TRANSLATE_NOOP("Menu", "循环播放选择的段落(&L)\tL"), "Loop", true},
          {"menuViewS", "-", nullptr},
          {"menuViewAll", QT_TRANSLATE_NOOP("Menu", "显示整个文件(&W)"), "ViewAll"},
          {"menuViewSelection", QT_TRANSLATE_NOOP("Menu", "放大到选择的段落(&Z)"), "ViewSelection"}}},
        {"menuSetting", QT_TRANSLATE_NOOP("Menu", "Setting"),
         {{"menuSettings", QT_TRANSLATE_NOOP("Menu", "系统设置(&S)"), "Setting"},
          {"menuFadeInS", "-", nullptr},
          {"menuFadeIn500", QT_TRANSLATE_NOOP("Menu", "淡入 0.5 秒"), "FadeIn500", true},
          {"menuFadeIn1000", QT_TRANSLATE_NOOP("Menu", "淡入 1 秒"), "FadeIn1000", true},
          {"menuFadeIn2000", QT_TRANSLATE_NOOP("Menu", "淡入 2 秒"), "FadeIn2000", true},
          {"menuFadeOutS", "-", nullptr},
          {"menuFadeOut500", QT_TRANSLATE_NOOP("Menu", "淡出 0.5 秒"), "FadeOut500", true},
          {"menuFadeOut1000", QT_TRANSLATE_NOOP("Menu", "淡出 1 秒"), "FadeOut1000", true},
          {"menuFadeOut2000", QT_TRANSLATE_NOOP("Menu", "淡出 2 秒"), "FadeOut2000", true},
          {"menuFadeOut3000", QT_TRANSLATE_NOOP("Menu", "淡出 3 秒"), "FadeOut3000", true},
          {"menuNormalizeS", "-", nullptr},
          {"menuNormalize", QT_TRANSLATE_NOOP("Menu", "统一音量（-14 LUFS）(&N)"), "Normalize", true}}},
        {"menuAbout", QT_TRANSLATE_NOOP("Menu", "About"), {{"menuA", QT_TRANSLATE_NOOP("Menu", "关于(&A)"), "About"}, {"menuHelp", QT_TRANSLATE_NOOP("Menu", "官方网站(&H)"), "Help"}}},
    };
    return popups;
}

namespace {

// The recent files' submenu, filled from recentFiles each time it opens.
void addRecentFiles(QMenu *menu, const char *name, const QString &caption,
                    const std::function<void(const QString &)> &writeCommand,
                    const std::function<QStringList()> &recentFiles)
{
    QMenu *recent = menu->addMenu(caption);
    recent->setObjectName(QLatin1String(name));
    recent->setAccessibleName(QString(caption).remove(u'&'));
    QObject::connect(recent, &QMenu::aboutToShow, recent, [recent, writeCommand, recentFiles] {
        recent->clear();
        const QStringList files = recentFiles ? recentFiles() : QStringList();
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QFileInfo file(files.at(i));
            QAction *entry = recent->addAction(
                QStringLiteral("&%1 %2 — %3").arg(QString::number((i + 1) % 10), file.fileName(), file.absolutePath()));
            const QString word = QStringLiteral("OpenRecent:%1").arg(i);
            QObject::connect(entry, &QAction::triggered, recent, [writeCommand, word] { writeCommand(word); });
        }
        if (files.isEmpty())
            recent->addAction(QCoreApplication::translate("Menu", "（没有）"))->setEnabled(false);
    });
}

}  // namespace

MenuHolder::MenuHolder(QWidget *owner, std::function<void(const QString &)> writeCommand,
                       std::function<bool(const QString &)> isChecked, std::function<QStringList()> recentFiles,
                       std::function<bool(const QString &)> isEnabled)
    : QObject(owner), m_owner(owner)
{
    for (const Popup &p : tree()) {
        auto *menu = new QMenu(QCoreApplication::translate("Menu", p.caption), owner);
        menu->setObjectName(QLatin1String(p.name));
        for (const Entry &e : p.entries) {
            if (!e.commandWord) {
                menu->addSeparator()->setObjectName(QLatin1String(e.name));
                continue;
            }
            if (QLatin1String(e.commandWord) == QLatin1String("OpenRecent")) {
                addRecentFiles(menu, e.name, QCoreApplication::translate("Menu", e.caption), writeCommand, recentFiles);
                continue;
            }
            // "Caption\tKeys": the keys are shown as the entry's shortcut, so
            // that its name is the caption alone; the window's own shortcuts
            // do what they do, the entry's acts only inside the open menu
            const QStringList parts = QCoreApplication::translate("Menu", e.caption).split(u'\t');
            QAction *action = menu->addAction(parts.first());
            action->setObjectName(QLatin1String(e.name));
            if (parts.size() > 1) {
                action->setShortcut(QKeySequence(parts.at(1)));
                action->setShortcutContext(Qt::WidgetShortcut);
            }
            const QString word = QLatin1String(e.commandWord);
            connect(action, &QAction::triggered, this, [writeCommand, word] { writeCommand(word); });
            if (isEnabled)
                connect(menu, &QMenu::aboutToShow, action,
                        [action, isEnabled, word] { action->setEnabled(isEnabled(word)); });
            if (e.checkable && isChecked) {
                action->setCheckable(true);
                // The marks show the model as it is when the popup opens.
                connect(menu, &QMenu::aboutToShow, action,
                        [action, isChecked, word] { action->setChecked(isChecked(word)); });
            }
        }
        m_popups.append(menu);
    }
}

MenuHolder::~MenuHolder() = default;

QMenu *MenuHolder::popup(int index) const
{
    return index >= 0 && index < m_popups.size() ? m_popups.at(index) : nullptr;
}

void MenuHolder::exec(int index, QPoint topLeft, bool chooseFirst)
{
    QMenu *menu = popup(index);
    if (!menu)
        return;
    if (chooseFirst) {
        // once shown: the entries are greyed or checked as the popup opens
        QTimer::singleShot(0, menu, [menu] {
            const QList<QAction *> entries = menu->actions();
            const auto usable = std::find_if(entries.cbegin(), entries.cend(), [](const QAction *a) {
                return !a->isSeparator() && a->isEnabled() && a->isVisible();
            });
            if (usable != entries.cend())
                menu->setActiveAction(*usable);
        });
    }
    menu->exec(m_owner->mapToGlobal(topLeft));
}
