#pragma once

#include "model/EditorModel.h"
#include "model/Seams.h"
#include "ui/FaceDrag.h"

#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QHash>
#include <QWidget>

class QComboBox;
class Skin;

// The settings dialog: a frameless, skinned window in which the user picks
// the two after-save choices. It shows the values in memory as they were when
// it was created; OK stores the lists' positions in memory and in setup.ini,
// back and the close cross leave both alone. It deletes itself on closing.
class SettingsDialog : public QWidget {
    Q_OBJECT
public:
    SettingsDialog(EditorModel &model, const QString &settingsFile, MessageSeam &messages,
                   const Skin &skin, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;

private:
    void shapeByKeyColour(const Skin &skin);
    void selectStoredChoices();
    void describeForScreenReaders(const QHash<QString, QWidget *> &elements);
    void confirm();

    EditorModel &m_model;
    QString m_settingsFile;
    MessageSeam &m_messages;
    QPixmap m_background;
    QComboBox *m_openFolderList = nullptr;
    QComboBox *m_promptSoundList = nullptr;
    bool m_confirming = false;
    // Moving by hand where the window system does not move the window itself.
    FaceDrag m_faceDrag;
};

// Keeps the settings dialog single: showing it while it is open brings the
// same dialog forward; after it has closed, the next showing builds a fresh one,
// which shows the values in memory at that moment. Destroying the host closes
// an open dialog without storing anything.
class SettingsDialogHost {
public:
    SettingsDialogHost(EditorModel &model, QString settingsFile, MessageSeam &messages,
                       const Skin &skin);
    ~SettingsDialogHost();
    SettingsDialogHost(const SettingsDialogHost &) = delete;
    SettingsDialogHost &operator=(const SettingsDialogHost &) = delete;

    void show();
    // The open dialog, or null when none is open.
    SettingsDialog *dialog() const;

private:
    EditorModel &m_model;
    QString m_settingsFile;
    MessageSeam &m_messages;
    const Skin &m_skin;
    QPointer<SettingsDialog> m_dialog;
};
