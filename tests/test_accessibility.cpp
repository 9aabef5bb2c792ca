// The main window through Qt's accessibility layer, as a screen reader sees
// it: every control that acts has its role, its name and its action, and the
// action does what a click does; the time line and the selection's handles
// are sliders on the editor's values; the bars are progress bars; the time
// fields are named for what they show; notices and message boxes are spoken;
// Tab walks the controls in order and Space or Return works the focused one.
#include "app/Language.h"
#include "support/Media.h"
#include "support/RecordingDevice.h"
#include "support/WindowHarness.h"
#include "ui/DesktopSeams.h"
#include "ui/MainLayout.h"
#include "ui/MenuHolder.h"
#include "ui/SkinAccessible.h"
#include "ui/SkinWidgets.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

QAccessibleInterface *accessibleOf(QWidget *w)
{
    return w ? QAccessible::queryAccessibleInterface(w) : nullptr;
}

QString nameOf(QWidget *w)
{
    QAccessibleInterface *a = accessibleOf(w);
    return a ? a->text(QAccessible::Name) : QString();
}

QStringList actionsOf(QWidget *w)
{
    QAccessibleInterface *a = accessibleOf(w);
    return a && a->actionInterface() ? a->actionInterface()->actionNames() : QStringList();
}

// Runs an action as a screen reader asks for it, then lets it take place
// (the press runs once the caller has been answered).
void doAction(QWidget *w, const QString &action)
{
    QAccessibleInterface *a = accessibleOf(w);
    QVERIFY(a && a->actionInterface());
    a->actionInterface()->doAction(action);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

QAccessibleValueInterface *valueOf(QWidget *w)
{
    QAccessibleInterface *a = accessibleOf(w);
    return a ? a->valueInterface() : nullptr;
}

QString layoutText(const QString &source)
{
    return QCoreApplication::translate("Layout", source.toUtf8().constData());
}

// Every event the window's controls send to assistive technology, with what
// its object was called at that moment.
struct HeardEvent {
    QObject *object;
    QAccessible::Event type;
    QString name;
    QVariant value;
};
QList<HeardEvent> g_heard;

void hear(QAccessibleEvent *event)
{
    QAccessibleInterface *a = event->accessibleInterface();
    HeardEvent heard{event->object(), event->type(), a ? a->text(QAccessible::Name) : QString(), {}};
    if (event->type() == QAccessible::ValueChanged)
        heard.value = static_cast<QAccessibleValueChangeEvent *>(event)->value();
    g_heard.append(heard);
}

bool heardOn(QObject *object, QAccessible::Event type)
{
    return std::any_of(g_heard.cbegin(), g_heard.cend(),
                       [&](const HeardEvent &e) { return e.object == object && e.type == type; });
}

// Every object under `a`, depth first.
void collect(QAccessibleInterface *a, QList<QAccessibleInterface *> &into)
{
    for (int i = 0; i < a->childCount(); ++i) {
        if (QAccessibleInterface *c = a->child(i)) {
            into.append(c);
            collect(c, into);
        }
    }
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_song;  // 10 s

    // A window with the song in place as its working copy, as after an open.
    void giveSong(WindowHarness &h)
    {
        QFile::remove(h.paths.workWav());
        QVERIFY(QFile::copy(m_song, h.paths.workWav()));
        h.model().setMedia(OpenMedia{m_song, {}, 10000, nullptr});
        if (auto *recording = dynamic_cast<RecordingDevice *>(&h.device()))
            recording->setLength(10000);
    }

    void activate(WindowHarness &h)
    {
        h.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&h.window()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_song = m_dir.filePath(QStringLiteral("ten seconds.wav"));
        QVERIFY(media::runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=10", "-ac", "2",
                                  media::asFileUrl(m_song)}));
        skin_access::setObserver(hear);
    }

    void init() { g_heard.clear(); }

    // Every toolbar, transport, title-strip and status-strip button of the
    // layout table is a push button named by its tool tip, with a press action;
    // the menu strip's words are menu items.
    void everyActingControlHasItsRoleNameAndAction()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        int buttons = 0;
        for (const layout::Element &e : mainLayout()) {
            const bool acts = !e.toolTip.isEmpty() && (e.kind == layout::Kind::Image || e.kind == layout::Kind::LabelButton);
            if (!acts)
                continue;
            QWidget *w = h.window().element(e.key());
            QAccessibleInterface *a = accessibleOf(w);
            QVERIFY2(a, qPrintable(e.key()));
            QCOMPARE(a->role(), QAccessible::Button);
            // a link is named by its words, a picture by its tool tip, unless
            // another button has that name or the tip says it in other words
            static const QHash<QString, QString> ownNames = {
                {QStringLiteral("imgButton(4)"), QStringLiteral("给朋友发邮件分享你的铃声")},
                {QStringLiteral("imgCtrlButton(6)"), QStringLiteral("把选择的段落保存为铃声")},
                {QStringLiteral("lblNoticeFolder"), QStringLiteral("打开铃声所在的文件夹")},
                {QStringLiteral("lblNoticePlay"), QStringLiteral("播放保存的铃声")}};
            QCOMPARE(a->text(QAccessible::Name),
                     ownNames.value(e.key(), layoutText(e.kind == layout::Kind::LabelButton ? e.text : e.toolTip)));
            QVERIFY2(actionsOf(w).contains(QAccessibleActionInterface::pressAction()), qPrintable(e.key()));
            ++buttons;
        }
        QCOMPARE(buttons, 7 + 8 + 2 + 1 + 2);  // toolbar, transport, title strip, feedback, notice links
        QCOMPARE(nameOf(h.window().element(QStringLiteral("imgButton(0)"))), QStringLiteral("打开一个音乐/视频文件"));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("imgCtrlButton(0)"))), QStringLiteral("播放"));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("imgMin"))), QStringLiteral("最小化"));

        const QStringList words = {QStringLiteral("文件(F)"), QStringLiteral("编辑(E)"), QStringLiteral("工具(T)"),
                                   QStringLiteral("设置(S)"), QStringLiteral("关于(A)")};
        // the words are the items of a menu bar, each with its popup of entries
        QAccessibleInterface *bar = accessibleOf(h.window().element(QStringLiteral("imgMenu(0)")))->parent();
        QCOMPARE(bar->role(), QAccessible::MenuBar);
        QCOMPARE(bar->childCount(), 5);
        for (int i = 0; i < 5; ++i) {
            QWidget *w = h.window().element(QStringLiteral("imgMenu(%1)").arg(i));
            QCOMPARE(bar->child(i), accessibleOf(w));
            QCOMPARE(accessibleOf(w)->role(), QAccessible::MenuItem);
            QCOMPARE(nameOf(w), words[i]);
            QVERIFY(actionsOf(w).contains(QAccessibleActionInterface::pressAction()));
            QCOMPARE(accessibleOf(w)->child(0), accessibleOf(h.window().menus().popup(i)));
        }
        // the undo entry is named by its caption; its keys are its shortcut
        QCOMPARE(accessibleOf(h.window().menus().popup(1))->child(0)->text(QAccessible::Name), QStringLiteral("撤销(U)"));
        // the small cancel buttons are Qt's own buttons, named for the job they stop
        QWidget *cancel = h.window().element(QStringLiteral("cmdCancelCut"));
        QCOMPARE(accessibleOf(cancel)->role(), QAccessible::Button);
        QCOMPARE(nameOf(cancel), QStringLiteral("取消保存"));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("cmdCancelDecode"))), QStringLiteral("取消打开"));

        // what the hint line says under the pointer is the control's description
        for (const QString &key : {QStringLiteral("imgButton(5)"), QStringLiteral("imgCtrlButton(3)")}) {
            QWidget *w = h.window().element(key);
            QTest::mouseMove(w, w->rect().center());
            QVERIFY(!h.caption(QStringLiteral("lblText")).isEmpty());
            QCOMPARE(accessibleOf(w)->text(QAccessible::Description), h.caption(QStringLiteral("lblText")));
        }

        // while a cut runs the buttons take no orders, and offer none
        h.model().setJob(JobState{JobKind::Cut, {}, std::nullopt});
        QWidget *play = h.window().element(QStringLiteral("imgCtrlButton(0)"));
        QVERIFY(!actionsOf(play).contains(QAccessibleActionInterface::pressAction()));
        QVERIFY(accessibleOf(play)->state().disabled);
        h.model().setJob({});

        // the open button asks for a file, as its click does
        doAction(h.window().element(QStringLiteral("imgButton(0)")), QAccessibleActionInterface::pressAction());
        QCOMPARE(h.chooser.requests.size(), 1);
    }

    // Two windows in the same state: one is clicked, the other is worked
    // through the press actions; their devices hear the same commands.
    void aPressDoesWhatAClickDoes()
    {
        RecordingDevice clickedDevice, pressedDevice;
        WindowHarness clicked(&clickedDevice), pressed(&pressedDevice);
        giveSong(clicked);
        giveSong(pressed);
        // The position timer ticks only where the test says: a tick of its own
        // could end one window's preview and not the other's.
        clicked.controller().positionTracker().setEnabled(false);
        pressed.controller().positionTracker().setEnabled(false);
        for (int i : {0, 2, 0, 1, 0, 3, 4, 5, 1}) {  // play, pause, resume, stop, play, start, end, selection, stop
            const QString key = QStringLiteral("imgCtrlButton(%1)").arg(i);
            clickedDevice.commands.clear();
            pressedDevice.commands.clear();
            clickedDevice.setPosition(1000 * (i + 1));
            pressedDevice.setPosition(1000 * (i + 1));
            clicked.controller().positionTracker().tick();
            pressed.controller().positionTracker().tick();
            clicked.click(key);
            doAction(pressed.window().element(key), QAccessibleActionInterface::pressAction());
            // each window plays its own working copy; the position timer's
            // queries are not the buttons'
            auto acts = [](const RecordingDevice &device, const QString &work) {
                QStringList sent = device.commands.filter(QRegularExpression(QStringLiteral("^(?!status sound)")));
                return sent.join(u'\n').replace(work, QStringLiteral("WORK"));
            };
            QCOMPARE(acts(pressedDevice, pressed.paths.workWav()), acts(clickedDevice, clicked.paths.workWav()));
            QVERIFY(!acts(clickedDevice, clicked.paths.workWav()).isEmpty() || i == 3 || i == 4);
            QCOMPARE(pressed.model().marks(), clicked.model().marks());
        }
        // the play button's press started playback
        pressedDevice.commands.clear();
        doAction(pressed.window().element(QStringLiteral("imgCtrlButton(0)")), QAccessibleActionInterface::pressAction());
        QVERIFY2(pressedDevice.commands.contains(QStringLiteral("play sound")), qPrintable(pressedDevice.commands.join(" | ")));
        // the selection was taken at the positions the device reported
        QCOMPARE(pressed.model().marks(), (Marks{4000, 5000}));
    }

    // What a screen reader walks: no unnamed pictures, none of the pictures
    // that only decorate, every control of the layout table that acts.
    void theTreeHoldsNamedControlsOnly()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        giveSong(h);
        QVERIFY(h.model().setMarks(Marks{1000, 2000}));
        h.timeline().handleVisible[0] = h.timeline().handleVisible[1] = true;
        h.timeline().touch();
        QList<QAccessibleInterface *> all;
        collect(accessibleOf(&h.window()), all);
        QStringList unnamed, objects;
        for (QAccessibleInterface *a : std::as_const(all)) {
            objects << a->object()->objectName();
            // a label or a notification may have nothing to say yet
            if (!a->state().invisible && a->role() != QAccessible::StaticText && a->role() != QAccessible::Notification
                && a->text(QAccessible::Name).isEmpty())
                unnamed << QStringLiteral("%1 (role %2)").arg(a->object()->objectName()).arg(int(a->role()));
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u'\n')));
        for (const char *decoration : {"imgLine", "imgTopPoint", "imgSelectBottom1", "imgPB", "imgButtonData(0)",
                                       "imgCtrlButtonLight(6)", "imgButton(3)", "imgOpen", "focusRing"})
            QVERIFY2(!objects.contains(QLatin1String(decoration)), decoration);
        for (const char *control : {"imgButton(0)", "imgCtrlButton(6)", "imgMenu(3)", "picOpened", "imgSelectTop2",
                                    "picPBBack", "lblSelBegin", "lblNotice"})
            QVERIFY2(objects.contains(QLatin1String(control)), control);
        // each child knows its place under its parent; a menu's popup is a
        // window of its own, which names the main window as its parent
        for (QAccessibleInterface *a : std::as_const(all))
            if (a->role() != QAccessible::PopupMenu)
                QCOMPARE(a->parent()->child(a->parent()->indexOfChild(a)), a);
        // no two children of one parent share a role and a name, and every
        // name is Chinese but for file and format names and keys
        static const QRegularExpression latin(QStringLiteral("[A-Za-z]{2,}"));
        static const QStringList allowed = {"MP3", "M4R", "LUFS", "Esc", "Ctrl", "Shift"};
        QStringList twice, english;
        for (QAccessibleInterface *a : std::as_const(all)) {
            QSet<QString> seen;
            for (int i = 0; i < a->childCount(); ++i) {
                QAccessibleInterface *c = a->child(i);
                const QString name = c->text(QAccessible::Name);
                const QString key = QString::number(int(c->role())) + u' ' + name;
                if (!name.isEmpty() && seen.contains(key))
                    twice << name;
                seen.insert(key);
                // the open file's path (the tab shows it, shortened) and name
                // are the file's own words
                static const QRegularExpression path(QStringLiteral("/[^ ]*"));
                const QString said = QString(name + u' ' + c->text(QAccessible::Description))
                                         .remove(QFileInfo(m_song).fileName())
                                         .remove(path);
                for (auto words = latin.globalMatch(said); words.hasNext();)
                    if (const QString word = words.next().captured(); !allowed.contains(word))
                        english << QStringLiteral("%1: %2").arg(name, word);
            }
        }
        QVERIFY2(twice.isEmpty(), qPrintable(twice.join(u'\n')));
        QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
    }

    void aMenuWordOpensItsPopup()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        activate(h);
        QMenu *seen = nullptr;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                seen = menu;
                menu->close();
            }
        });
        poll.start(10);
        QAccessibleInterface *a = accessibleOf(h.window().element(QStringLiteral("imgMenu(1)")));
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(WindowHarness::waitFor([&] { return seen != nullptr; }, 30000));
        QCOMPARE(seen, h.window().menus().popup(1));
    }

    // The time line's value is the play position; setting it plays from there.
    void theTimeLineIsASliderOnThePlayPosition()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        giveSong(h);
        QWidget *line = h.window().element(QStringLiteral("picOpened"));
        QCOMPARE(accessibleOf(line)->role(), QAccessible::Slider);
        QCOMPARE(nameOf(line), QStringLiteral("播放位置 0.0 秒"));
        QCOMPARE(accessibleOf(line)->text(QAccessible::Description), QStringLiteral("ten seconds.wav，长度 10.0 秒"));
        QAccessibleValueInterface *v = valueOf(line);
        QVERIFY(v);
        QCOMPARE(v->minimumValue().toDouble(), 0.0);
        QCOMPARE(v->maximumValue().toDouble(), 10.0);

        // while it plays, the value follows in whole seconds and the name
        // keeps the place playback started from
        doAction(h.window().element(QStringLiteral("imgCtrlButton(0)")), QAccessibleActionInterface::pressAction());
        device.setReply(QStringLiteral("status sound mode"), QStringLiteral("playing"));
        for (qint64 at : {2500, 7240}) {
            device.setPosition(at);
            h.controller().positionTracker().tick();
            QCOMPARE(v->currentValue().toDouble(), double(at / 1000));
            QVERIFY(std::any_of(g_heard.cbegin(), g_heard.cend(), [&](const HeardEvent &e) {
                return e.object == line && e.type == QAccessible::ValueChanged && e.value.toDouble() == double(at / 1000);
            }));
            QCOMPARE(nameOf(line), QStringLiteral("播放位置 0.0 秒"));
        }
        // paused, it tells where it rests, to the tenth
        doAction(h.window().element(QStringLiteral("imgCtrlButton(2)")), QAccessibleActionInterface::pressAction());
        QCOMPARE(v->currentValue().toDouble(), 7.24);
        QCOMPARE(nameOf(line), QStringLiteral("播放位置 7.2 秒"));
        device.commands.clear();
        v->setCurrentValue(4.0);
        QCOMPARE(device.commands.value(device.commands.size() - 1), QStringLiteral("play sound from 4000"));
        // the stepping actions move by a tenth, the unit its value is read in
        device.setPosition(4000);
        h.controller().positionTracker().tick();
        doAction(line, QAccessibleActionInterface::increaseAction());
        QCOMPARE(device.commands.value(device.commands.size() - 1), QStringLiteral("play sound from 4100"));
    }

    // The handles' values are the selection's ends; setting one moves it as a
    // typed time does, and a time the selection cannot take changes nothing.
    void theHandlesAreSlidersOnTheSelection()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        giveSong(h);
        QWidget *start = h.window().element(QStringLiteral("imgSelectTop1"));
        QWidget *end = h.window().element(QStringLiteral("imgSelectTop2"));
        QCOMPARE(accessibleOf(start)->role(), QAccessible::Slider);
        QCOMPARE(accessibleOf(end)->role(), QAccessible::Slider);
        valueOf(start)->setCurrentValue(4.15);
        valueOf(end)->setCurrentValue(6.0);
        QCOMPARE(h.model().marks(), (Marks{4150, 6000}));
        QCOMPARE(h.caption(QStringLiteral("lblSelBegin")), QStringLiteral("00:04.150"));
        // named by where they stand, as it is read aloud
        QCOMPARE(nameOf(start), QStringLiteral("开始 4.150 秒"));
        QCOMPARE(nameOf(end), QStringLiteral("结束 6.000 秒"));
        QCOMPARE(valueOf(start)->currentValue().toDouble(), 4.15);
        QCOMPARE(valueOf(end)->currentValue().toDouble(), 6.0);
        QCOMPARE(valueOf(end)->maximumValue().toDouble(), 10.0);
        QCOMPARE(valueOf(end)->minimumStepSize().toDouble(), 0.001);
        valueOf(end)->setCurrentValue(3.0);  // before the start
        QCOMPARE(h.model().marks(), (Marks{4150, 6000}));
        // the time fields say what they show
        QCOMPARE(nameOf(h.window().element(QStringLiteral("lblSelBegin"))), QStringLiteral("选择 开始位置 00:04.150"));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("lblSelLength"))), QStringLiteral("选择 长度 00:01.850"));
        QCOMPARE(accessibleOf(h.window().element(QStringLiteral("lblSelEnd")))->role(), QAccessible::StaticText);
        QVERIFY(heardOn(h.window().element(QStringLiteral("lblSelBegin")), QAccessible::NameChanged));
        // minutes and hours
        h.model().setMedia(OpenMedia{QStringLiteral("/music/long.mp3"), {}, 3723456, nullptr});
        QVERIFY(h.model().setMarks(Marks{72345, 3723000}));
        QCOMPARE(nameOf(start), QStringLiteral("开始 1 分 12.345 秒"));
        QCOMPARE(nameOf(end), QStringLiteral("结束 1 小时 2 分 3.000 秒"));
    }

    void theBarsAreProgressBars()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        QWidget *decode = h.window().element(QStringLiteral("picPBBack"));
        QWidget *cut = h.window().element(QStringLiteral("picPro"));
        QCOMPARE(accessibleOf(decode)->role(), QAccessible::ProgressBar);
        QCOMPARE(accessibleOf(cut)->role(), QAccessible::ProgressBar);
        h.model().setJob(JobState{JobKind::Decode, QStringLiteral("song.mp3"), 0.42});
        QCOMPARE(valueOf(decode)->currentValue().toDouble(), 42.0);
        QCOMPARE(valueOf(decode)->maximumValue().toDouble(), 100.0);
        QVERIFY(heardOn(decode, QAccessible::ValueChanged));
        h.model().setJob(JobState{JobKind::Cut, QStringLiteral("ring.mp3"), 0.07});
        QCOMPARE(valueOf(cut)->currentValue().toDouble(), 7.0);
        h.model().setJob(JobState{JobKind::Decode, QStringLiteral("song.mp3"), 0.42});

        // the decode's end is said, with the file and its length, as a
        // notification coming into sight; the time line takes the focus
        g_heard.clear();
        h.model().setMedia(OpenMedia{QStringLiteral("/music/song.mp3"), {}, 83456, nullptr});
        h.model().setJob({});
        QWidget *speech = h.window().findChild<QWidget *>(QStringLiteral("speech"));
        QVERIFY(speech);
        QCOMPARE(accessibleOf(speech)->role(), QAccessible::Notification);
        QVERIFY(std::any_of(g_heard.cbegin(), g_heard.cend(), [&](const HeardEvent &e) {
            return e.object == speech && e.type == QAccessible::ObjectShow
                   && e.name == QStringLiteral("已打开 song.mp3，长度 1 分 23.5 秒");
        }));
        QWidget *line = h.window().element(QStringLiteral("picOpened"));
        QCOMPARE(h.window().focusWidget(), line);
        QCOMPARE(accessibleOf(line)->text(QAccessible::Description), QStringLiteral("song.mp3，长度 1 分 23.5 秒"));

        // a short decode hands over its file only after its job has ended;
        // one that opens nothing says nothing, and the next open is told once
        const auto toldOpen = [&] {
            return std::count_if(g_heard.cbegin(), g_heard.cend(), [&](const HeardEvent &e) {
                return e.object == speech && e.type == QAccessible::ObjectShow && e.name.startsWith(QStringLiteral("已打开"));
            });
        };
        h.model().setMedia(std::nullopt);
        for (const bool opens : {false, true}) {
            g_heard.clear();
            h.model().setJob(JobState{JobKind::Decode, QStringLiteral("/music/short.mp3"), 0.0});
            h.model().setJob({});
            QCOMPARE(toldOpen(), 0);
            if (opens)
                h.model().setMedia(OpenMedia{QStringLiteral("/music/short.mp3"), {}, 1500, nullptr});
            h.timeline().touch();
            QCOMPARE(toldOpen(), opens ? 1 : 0);
        }
        QCOMPARE(h.model().media()->sourcePath, QStringLiteral("/music/short.mp3"));
    }

    // A new notice in the status strip is spoken, by its text; a message box
    // is spoken as an alert.
    void noticesAndMessagesAreSpoken()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        QWidget *notice = h.window().element(QStringLiteral("lblNotice"));
        h.model().setNotice(Notice{Notice::Kind::Saved, m_dir.filePath(QStringLiteral("ring.mp3")), 3.0, 48 * 1024});
        QCOMPARE(accessibleOf(notice)->role(), QAccessible::Notification);
        QVERIFY(std::any_of(g_heard.cbegin(), g_heard.cend(), [&](const HeardEvent &e) {
            return e.object == notice && e.type == QAccessible::ObjectShow && e.name == h.window().noticeText();
        }));
        g_heard.clear();
        h.timeline().touch();  // nothing new: nothing said again
        QVERIFY(!heardOn(notice, QAccessible::ObjectShow));

        // a message box is an alert (Qt raises an Alert event when one shows),
        // and its text is readable
        MessageBoxes boxes(&h.window());
        QAccessible::Role role = QAccessible::NoRole;
        QString text;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                role = accessibleOf(box)->role();
                for (QLabel *label : box->findChildren<QLabel *>())
                    text += nameOf(label);
                box->accept();
            }
        });
        poll.start(10);
        boxes.show(QStringLiteral("保存失败"), QStringLiteral("Brindlewave"), MessageButtons::Ok, MessageIcon::Critical);
        QCOMPARE(role, QAccessible::AlertMessage);
        QVERIFY2(text.contains(QStringLiteral("保存失败")), qPrintable(text));
    }

    // Tab walks the toolbar, the transport bar, the typed times and the save
    // button, Shift+Tab walks back; Space works the focused button, and plays
    // when the window itself has the focus.
    void tabWalksTheControlsInOrder()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        giveSong(h);
        activate(h);
        QCOMPARE(QApplication::focusWidget(), &h.window());
        const QStringList order = {"imgButton(0)",     "imgButton(1)",     "imgButton(2)",     "imgButton(4)",
                                   "imgButton(5)",     "imgButton(6)",     "imgButton(7)",     "imgCtrlButton(0)",
                                   "imgCtrlButton(1)", "imgCtrlButton(2)", "imgCtrlButton(3)", "imgCtrlButton(4)",
                                   "imgCtrlButton(5)", "imgCtrlButton(7)", "picOpened",        "lblSelBegin",
                                   "lblSelEnd",        "imgCtrlButton(6)"};
        QStringList walked;
        for (int i = 0; i < order.size() + 1; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, order + QStringList{order.first()});
        QStringList back;
        for (int i = 0; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            back.prepend(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(back, order);

        // Space on the focused play button plays; Return on the stop button stops
        h.window().element(QStringLiteral("imgCtrlButton(0)"))->setFocus(Qt::TabFocusReason);
        device.commands.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY2(device.commands.contains(QStringLiteral("play sound")), qPrintable(device.commands.join(" | ")));
        device.setReply(QStringLiteral("status sound mode"), QStringLiteral("playing"));
        h.window().element(QStringLiteral("imgCtrlButton(1)"))->setFocus(Qt::TabFocusReason);
        device.commands.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(device.commands.contains(QStringLiteral("stop sound")));
        QVERIFY(!device.commands.contains(QStringLiteral("pause sound")));

        // the focus ring goes around a typed time, leaving its digits as they were
        QWidget *begin = h.window().element(QStringLiteral("lblSelBegin"));
        const QRect digits = begin->geometry();
        const QImage unfocused = h.window().grab(digits.adjusted(-3, -3, 3, 3)).toImage();
        begin->setFocus(Qt::TabFocusReason);
        const QImage focused = h.window().grab(digits.adjusted(-3, -3, 3, 3)).toImage();
        QCOMPARE(focused.copy(3, 3, digits.width(), digits.height()), unfocused.copy(3, 3, digits.width(), digits.height()));
        QVERIFY(focused.copy(0, 0, digits.width() + 6, 2) != unfocused.copy(0, 0, digits.width() + 6, 2));

        // Return on a typed time opens its box; a refused time is its
        // description until the next opening; Escape gives the focus back
        QTest::keyClick(begin, Qt::Key_Return);
        auto *box = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->accessibleName(), QStringLiteral("选择的开始位置"));
        QTest::keyClicks(box, QStringLiteral("abc"));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY2(box->accessibleDescription().startsWith(QStringLiteral("看不懂这个时间")), qPrintable(box->accessibleDescription()));
        QVERIFY(std::any_of(g_heard.cbegin(), g_heard.cend(), [&](const HeardEvent &e) {
            return e.type == QAccessible::ObjectShow && e.name == box->accessibleDescription();
        }));
        QTest::keyClick(box, Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), begin);
        QTest::keyClick(begin, Qt::Key_Return);
        QVERIFY(box->isVisible());
        QVERIFY(box->accessibleDescription().startsWith(QStringLiteral("输入时间")));
        QVERIFY(box->toolTip().startsWith(QStringLiteral("输入时间")));
        QTest::keyClick(box, Qt::Key_Escape);

        // a click on the window's face takes the focus back, and Space is the
        // window's play/pause again
        QTest::mouseClick(&h.window(), Qt::LeftButton, {}, QPoint(5, 300));
        QCOMPARE(QApplication::focusWidget(), &h.window());
        device.commands.clear();
        QTest::keyClick(&h.window(), Qt::Key_Space);
        QVERIFY2(device.commands.contains(QStringLiteral("pause sound")), qPrintable(device.commands.join(" | ")));
    }

    void theSettingsDialogSaysWhatItsListsAndLinksAre()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        h.window().showSettingsDialog();
        QWidget *dialog = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != &h.window() && w->isVisible() && w->findChild<QComboBox *>())
                dialog = w;
        QVERIFY(dialog);
        const QList<QComboBox *> lists = dialog->findChildren<QComboBox *>();
        QCOMPARE(lists.size(), 2);
        // each list is labelled by its caption
        QStringList names;
        for (QComboBox *list : lists) {
            const auto labels = accessibleOf(list)->relations(QAccessible::Label);
            QCOMPARE(labels.size(), 1);
            names << labels.first().first->text(QAccessible::Name);
        }
        names.sort();
        QStringList expected = {QStringLiteral("保存完毕后打开铃声所在文件夹:"), QStringLiteral("保存完毕后播放声音提示:")};
        expected.sort();
        QCOMPARE(names, expected);
        QStringList links;
        for (SkinLabel *label : dialog->findChildren<SkinLabel *>()) {
            QAccessibleInterface *a = accessibleOf(label);
            if (a->role() == QAccessible::Button && actionsOf(label).contains(QAccessibleActionInterface::pressAction()))
                links << a->text(QAccessible::Name);
        }
        links.sort();
        QCOMPARE(links, (QStringList{QStringLiteral("确定"), QStringLiteral("返回")}));
        dialog->close();
    }

    void namesFollowTheEnglishTranslation()
    {
        const LanguageInstall language(LanguageEnglish);
        QVERIFY(language.programTextsLoaded());
        RecordingDevice device;
        WindowHarness h(&device);
        QCOMPARE(nameOf(h.window().element(QStringLiteral("imgButton(0)"))), QStringLiteral("Open a music or video file"));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("imgCtrlButton(0)"))), QStringLiteral("Play"));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("imgCtrlButton(6)"))), QStringLiteral("Save the selection as a ringtone"));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("imgMenu(0)"))), QStringLiteral("File (F)"));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("lblSelBegin"))), QStringLiteral("Selection start 00:00.000"));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("picPBBack"))), QStringLiteral("Opening the file"));
        h.model().setMedia(OpenMedia{QStringLiteral("/music/song.mp3"), {}, 3723456, nullptr});
        QVERIFY(h.model().setMarks(Marks{72345, 3723000}));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("picOpened"))), QStringLiteral("Play position 0:00.0"));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("imgSelectTop1"))), QStringLiteral("Start 1:12.345"));
        QCOMPARE(nameOf(h.window().element(QStringLiteral("imgSelectTop2"))), QStringLiteral("End 1:02:03.000"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
