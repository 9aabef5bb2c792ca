#pragma once

#include "settings/FileDialogs.h"

#include <QPointer>

class QWidget;

// The open and save dialogs of the program: Qt's own file dialog rather than
// the desktop's, so that it behaves alike on every desktop and headless. The
// save dialog keeps Qt's question before an existing file is replaced, and
// takes the name typed into it literally, double quotes included.
class QtFileChooser : public FilterReportingChooserSeam {
public:
    explicit QtFileChooser(QWidget *mainWindow = nullptr) : m_mainWindow(mainWindow) {}
    // The window the dialogs are centred on and block while they are open.
    void setMainWindow(QWidget *mainWindow) { m_mainWindow = mainWindow; }

    FileChooserResult chooseWithFilter(const FileChoice &choice) override;

private:
    QPointer<QWidget> m_mainWindow;
};
