#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QMenu;
class QWidget;

// The menu tree behind the painted menu strip. It is never shown as a window;
// one of its four popups opens under the clicked menu word, and each entry hands
// its command word to the main window's command slot.
class MenuHolder : public QObject {
    Q_OBJECT
public:
    // A checkable entry shows a check mark when isChecked says so for its word.
    struct Entry { const char *name; const char *caption; const char *commandWord; bool checkable = false; };
    struct Popup { const char *name; const char *caption; QList<Entry> entries; };
    static const QList<Popup> &tree();

    // The entry with the command word "OpenRecent" is a submenu of the files
    // recentFiles names (newest first), filled as its popup opens; choosing
    // file N writes "OpenRecent:N". An entry is greyed while isEnabled says
    // its word would do nothing (Undo with nothing to undo).
    MenuHolder(QWidget *owner, std::function<void(const QString &)> writeCommand,
               std::function<bool(const QString &)> isChecked = {},
               std::function<QStringList()> recentFiles = {},
               std::function<bool(const QString &)> isEnabled = {});
    ~MenuHolder() override;

    QMenu *popup(int index) const;
    // Shows popup `index` with its top-left corner at `topLeft` (owner's
    // coordinates) and returns when an entry was chosen or the menu dismissed.
    // With `chooseFirst` (opened from the keyboard) its first entry that can
    // be chosen is highlighted, as a menu bar's key opens its menu.
    void exec(int index, QPoint topLeft, bool chooseFirst = false);

private:
    QWidget *m_owner;
    QList<QMenu *> m_popups;
};
