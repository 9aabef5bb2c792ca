#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The main window's controls as data: everything the flows change and the widgets
// show. Horizontal positions on the time line are kept in twips (15 to a pixel),
// relative to the time-line panel, as unrounded floats; a grip's line stands
// LineOffset to its right. Flows change fields and then call touch(); the window
// redraws from the fields when changed() arrives.
class MainFace : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // captions
    QString lblTime = QStringLiteral("00:00:00.0");
    QString lblSelBegin = QStringLiteral("00:00:00.0");
    QString lblSelEnd = QStringLiteral("00:00:00.0");
    QString lblSelLength = QStringLiteral("00:00:00.0");
    QString lblViewBegin = QStringLiteral("00:00:00.0");
    QString lblViewEnd = QStringLiteral("00:00:00.0");
    QString lblViewLength = QStringLiteral("00:00:00.0");
    QString lblFileName = QStringLiteral("C:\\1.MP3");
    QString lblPB = QStringLiteral("0%");
    QString lblPro = QStringLiteral("0%");
    QString lblText;  // hint line

    // The status strip's notice: what the last save or cancelled job came to,
    // until the next job starts. With a file, the notice offers to open its
    // folder and to play it.
    QString noticeText;
    QString noticeFile;

    // hidden value holders
    QString txtFullTime = QStringLiteral("0");
    QString txtSave;
    QString txtAction = QStringLiteral("Text1");
    QStringList lstFile;

    // panels
    bool picOpenedVisible = false;
    bool picPBBackVisible = false;
    bool picProVisible = false;

    // time line (twips); index 0 is the start handle, 1 the end handle
    float playHeadX = 0.0f;
    float handleX[2] = {0.0f, 10920.0f};
    bool handleVisible[2] = {false, false};

    // progress fills (twips)
    float imgPBWidth = 15.0f;
    float imgProWidth = 15.0f;

    // toolbar, transport bar and menu strip while a cut runs
    bool jobButtonsEnabled = true;

    void touch() { emit changed(); }

signals:
    void changed();
};
