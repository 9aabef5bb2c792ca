#pragma once

#include "model/EditorModel.h"
#include "model/Seams.h"
#include "ui/FaceDrag.h"
#include "ui/MainControls.h"

#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QCoreApplication>
#include <QWidget>
#include <functional>
#include <memory>

class Skin;
class SkinImage;
class SkinLabel;
class SkinPanel;
class MenuHolder;
class SettingsDialogHost;
class TypedTimeField;
class QShortcut;
class WaveformView;
class PlaybackDevice;

// The services the main window hands to its controller. The program passes the
// desktop's own; tests pass fakes.
struct MainWindowServices {
    MessageSeam &messages;
    ShellSeam &shell;
    FileChooserSeam &chooser;
    PlaybackDevice &device;
};

// frmMain: a frameless window whose whole face is the skin picture. It forwards
// pointer events to the controller and draws what the controller's face says.
class MainWindow : public QWidget, public WindowSeam {
    Q_OBJECT
public:
    // The window makes its controls with makeControls, passing itself as
    // their WindowSeam.
    MainWindow(const MainControls::Factory &makeControls, MainWindowServices services, const Skin &skin,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    MainControls &controls() { return *m_controls; }
    // The status strip's notice as it reads whole (the label may elide it).
    const QString &noticeText() const { return m_noticeText; }
    QWidget *element(const QString &key) const { return m_elements.value(key); }
    SkinImage *image(const QString &key) const;
    SkinLabel *label(const QString &key) const;
    MenuHolder &menus() { return *m_menus; }
    bool isShaped() const { return m_shaped; }
    // What ends the program once the shutdown has run; tests replace it.
    void setEndProcess(std::function<void()> endProcess) { m_endProcess = std::move(endProcess); }

    // WindowSeam
    void showSettingsDialog() override;
    void requestClose() override;
    void minimise() override;

    // Opening from outside (command line, drop): the open flow for this path,
    // after the close question when a file is open.
    void openFromOutside(const QString &path);
    // An end asked from outside the window (a termination signal): the program
    // ends as Exit ends it, without the question.
    void endFromOutside();

protected:
    void paintEvent(QPaintEvent *) override;
    void showEvent(QShowEvent *) override;
    void closeEvent(QCloseEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void dragEnterEvent(QDragEnterEvent *) override;
    void dropEvent(QDropEvent *) override;

private:
    // What a set of skinned buttons (toolbar, transport bar) reports, by index.
    struct ButtonSetHandlers {
        std::function<void(int)> pressed;
        std::function<void(int, const QString &toolTip)> moved;
        std::function<void(int)> released;
        std::function<void(int)> clicked;
    };
    void wireButtonSet(const QString &set, int count, const ButtonSetHandlers &handlers);
    void wireToolbarAndTransport();
    void wireChrome();
    void wireTimeline();
    void wireKeyboard();
    void wireTypedTimes();
    void syncFromModel();
    void syncTimeTable();
    void syncJobBars();
    void syncTimeline();
    bool isCutRunning() const;
    void syncLights();
    void syncNotice();
    void showNotice();
    void wireJobControls();
    void wireAccessibility();
    void describeButtons();
    void describeTimeline();
    void describeFields();
    void wireFocusChain();
    // `opened`: a decode has just opened its file.
    void syncAccessibility(bool opened);
    // Says `text` through the window's own notification.
    void speak(const QString &text);
    void shapeWindow();  // the Timer3 tick
    // Opens menu `index` under its word; opened from the keyboard, its first
    // entry is chosen.
    void showMenu(int index, bool fromKeyboard = false);
    int indexUnderPointer(const QString &setName, const QWidget *grabber, QPointF pos) const;

    const Skin &m_skin;
    MessageSeam &m_messages;
    ShellSeam &m_shell;
    std::unique_ptr<MainControls> m_controls;
    QHash<QString, QWidget *> m_elements;
    QList<QWidget *> m_jobButtons;  // toolbar, transport bar and menu strip
    bool m_jobButtonsEnabled = true;
    std::unique_ptr<MenuHolder> m_menus;
    TypedTimeField *m_typedTime = nullptr;
    QShortcut *m_cancelKey = nullptr;  // Escape, live only while a job runs
    Notice m_notice;       // the notice as last laid out
    QString m_noticeText;  // and what it says, whole
    WaveformView *m_waveform = nullptr;
    QObject *m_menuStrip = nullptr;  // the menu words' menu bar, for screen readers
    QWidget *m_speech = nullptr;     // a notification that shows nothing, for what is said away from the focus
    QString m_spoken;                // what it said last
    std::int64_t m_toldPositionMs = 0;
    bool m_openToTell = false;  // a decode has run; its file, once open, is told  // the play position the time line's name gives
    Selection m_shadedSelection;  // what the waveform shades now
    std::unique_ptr<SettingsDialogHost> m_settings;
    QPixmap m_shapedFace;  // the face with its key-colour margin see-through
    QTimer m_timer3;
    bool m_shaped = false;
    bool m_closing = false;
    FaceDrag m_faceDrag;
    std::function<void()> m_endProcess = [] { QCoreApplication::exit(0); };
};
