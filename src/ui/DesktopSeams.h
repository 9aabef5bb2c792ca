#pragma once

#include "model/Seams.h"

class QWidget;

// The real message boxes of the program.
class MessageBoxes : public MessageSeam {
public:
    explicit MessageBoxes(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    MessageAnswer show(const QString &text, const QString &title, MessageButtons buttons,
                       MessageIcon icon) override;

private:
    QWidget *m_parent;
};

// The desktop's file manager, mail program and web browser.
class DesktopShell : public ShellSeam {
public:
    bool openUrl(const QUrl &url) override;
};
