// The main window as built from its layout table, and its chrome, driven with
// pointer events at the design's pixel geometry.
#include "pipeline/SaveFlow.h"
#include "support/WindowHarness.h"
#include "support/RecordingDevice.h"
#include "ui/MenuHolder.h"
#include "ui/SkinWidgets.h"
#include "settings/Vendor.h"
#include "playback/Timeline.h"
#include "SkinGeometry.h"

#include <QMenu>
#include "support/Contrast.h"

#include <QtTest>

#include <algorithm>

namespace {

// Counts the pointer presses that reach the object it filters.
class PressRecorder : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            ++count;
        return false;
    }
    int count = 0;
};


}  // namespace

class UiLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void elementsSitAtTheirPixelGeometry_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("minimise") << "imgMin" << QRect(704, 12, 22, 22);
        QTest::newRow("close") << "imgExit" << QRect(729, 12, 22, 22);
        QTest::newRow("menu about") << "imgMenu(4)" << QRect(251, 42, 48, 18);
        QTest::newRow("toolbar save") << "imgButton(1)" << QRect(66, 65, 37, 32);
        QTest::newRow("toolbar settings") << "imgButton(5)" << QRect(230, 65, 37, 32);
        QTest::newRow("play") << "imgCtrlButton(0)" << QRect(14, 483, 34, 32);
        QTest::newRow("loop") << "imgCtrlButton(7)" << QRect(248, 483, 34, 32);
        QTest::newRow("wide save") << "imgCtrlButton(6)" << QRect(661, 483, 90, 32);
        QTest::newRow("time line panel") << "picOpened" << QRect(10, 104, 746, 360);
        QTest::newRow("decode panel") << "picPBBack" << QRect(133, 400, 462, 37);
        QTest::newRow("cut panel") << "picPro" << QRect(310, 538, 281, 15);
        QTest::newRow("feedback") << "imgFeedback" << QRect(648, 538, 83, 17);
        QTest::newRow("top grip row") << "imgTopPoint" << QRect(0, 52, 13, 8);
        QTest::newRow("bottom grip row") << "imgSelectBottom2" << QRect(728, 342, 13, 8);
    }
    void elementsSitAtTheirPixelGeometry()
    {
        QFETCH(QString, key);
        QFETCH(QRect, pixels);
        RecordingDevice device;
        WindowHarness h(&device);
        QWidget *w = h.window().element(key);
        QVERIFY(w);
        QCOMPARE(w->geometry(), pixels);
    }

    void startStateShowsOnlyTheQuickStartFace()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        MainWindow &win = h.window();
        QCOMPARE(win.size(), QSize(764, 564));
        QCOMPARE(win.windowTitle(), QStringLiteral("Brindlewave"));
        // no caption, tip or menu entry begins or ends in a blank
        QStringList texts;
        for (const QWidget *w : win.findChildren<QWidget *>()) {
            texts << w->toolTip();
            if (const auto *l = qobject_cast<const QLabel *>(w))
                texts << l->text();
        }
        for (int i = 0; i < 5; ++i)
            for (const QAction *a : win.menus().popup(i)->actions())
                texts << a->text();
        for (const QString &text : std::as_const(texts))
            QVERIFY2(text == text.trimmed(), qPrintable(QLatin1Char('"') + text + QLatin1Char('"')));
        QVERIFY(win.windowFlags() & Qt::FramelessWindowHint);
        for (const char *hidden : {"picOpened", "picPBBack", "picPro"})
            QVERIFY2(!win.element(QLatin1String(hidden))->isVisible(), hidden);
        QVERIFY(win.element(QStringLiteral("imgOpen"))->isVisible());
        QVERIFY(h.caption(QStringLiteral("lblText")).isEmpty());
        QCOMPARE(win.label(QStringLiteral("lblTime"))->text(), QStringLiteral("00:00.0"));
        // the out-of-sight toolbar slot cannot be reached
        QVERIFY(!win.rect().intersects(win.element(QStringLiteral("imgButton(3)"))->geometry()));
        // no hot spot carries a picture at rest, and no store is ever visible
        for (QWidget *child : win.findChildren<QWidget *>()) {
            const QString name = child->objectName();
            if (name.contains(QLatin1String("Data(")) || name.contains(QLatin1String("Light"))
                || name.contains(QLatin1String("Press("))) {
                QVERIFY2(!child->isVisible(), qPrintable(name));
                QVERIFY2(static_cast<SkinImage *>(child)->hasPicture(), qPrintable(name));
            }
        }
        for (int i = 0; i < 8; ++i)
            QVERIFY(!h.image(QStringLiteral("imgButton(%1)").arg(i))->hasPicture());
    }

    // Every time field shows all its digits inside its frame, for the longest
    // times a file can have (hours shown), in the window's own fonts; and the
    // table's start and length add up to its end, to the millisecond.
    void timeFieldsShowEveryDigitAndAddUp()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        h.model().setMedia(OpenMedia{QStringLiteral("/music/long.mp3"), {}, 9 * 3600000 + 3599999, nullptr});
        QVERIFY(h.model().setMarks(Marks{1040, 9 * 3600000 + 3599998}));
        PlayState play;
        play.positionMs = 9 * 3600000 + 3599949;
        h.model().setPlay(play);
        QCOMPARE(h.caption(QStringLiteral("lblSelEnd")), QStringLiteral("9:59:59.998"));
        QCOMPARE(h.caption(QStringLiteral("lblTime")), QStringLiteral("9:59:59.9"));
        const auto rightOfText = [&](const char *key) {
            const SkinLabel *l = h.window().label(QLatin1String(key));
            return l->x() + l->fontMetrics().horizontalAdvance(l->text());
        };
        const char *const fields[2][3] = {{"lblSelBegin", "lblSelEnd", "lblSelLength"},
                                          {"lblViewBegin", "lblViewEnd", "lblViewLength"}};
        for (int row = 0; row < 2; ++row) {
            for (int col = 0; col < 3; ++col) {
                // the field stands where the picture frames it, its text inside the frame
                const QRect cell = skingeo::selLabel(col, row);
                QCOMPARE(h.window().element(QLatin1String(fields[row][col]))->pos(), cell.topLeft());
                QVERIFY2(rightOfText(fields[row][col]) <= cell.left() - 4 + skingeo::SelBoxWidth - 1, fields[row][col]);
            }
        }
        QVERIFY(rightOfText("lblTime") <= skingeo::ReadoutBox.right() - 1);

        QVERIFY(h.model().setMarks(Marks{1040, 3080}));
        const auto ms = [&](const char *key) { return timeline::parseTypedTime(h.caption(QLatin1String(key))).value_or(-1); };
        QCOMPARE(ms("lblSelBegin") + ms("lblSelLength"), ms("lblSelEnd"));
        QCOMPARE(ms("lblSelEnd"), 3080);
    }

    // Every writing of the face against the worst pixel of what lies behind
    // it (the lightest part of a gradient under dark writing is the darkest
    // one), with a file open, a selection, a saved notice and a hint up.
    void everyWritingStandsOutFromItsGround()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        h.model().setMedia(OpenMedia{QStringLiteral("/music/song.mp3"), {}, 10000, nullptr});
        QVERIFY(h.model().setMarks(Marks{1000, 4000}));
        h.model().setNotice(Notice{Notice::Kind::Saved, QStringLiteral("/music/ring.mp3"), 3.0, 48 * 1024});
        // the play head's and the handles' lines cross the captions as they
        // move: they are not the ground
        for (const char *line : {"imgLine", "imgSelectLine1", "imgSelectLine2"})
            h.window().element(QLatin1String(line))->hide();
        QStringList weak;
        int measured = 0;
        for (SkinLabel *label : h.window().findChildren<SkinLabel *>()) {
            if (!label->isVisible() || label->text().isEmpty() || label->window() != &h.window())
                continue;
            const QColor writing = label->palette().color(QPalette::WindowText);
            // the box the writing's ink takes, in the label
            const QFontMetrics fm(label->font());
            const QRect box = label->contentsRect();
            const int advance = fm.horizontalAdvance(label->text());
            const int left = label->alignment() & Qt::AlignHCenter ? box.left() + (box.width() - advance) / 2 : box.left();
            const int baseline = box.top() + (box.height() - fm.height()) / 2 + fm.ascent();
            const QRect ink = fm.tightBoundingRect(label->text()).translated(left, baseline) & label->rect();
            label->hide();
            QWidget *ground = label->parentWidget();
            const QImage behind = ground->grab(ink.translated(label->pos())).toImage();
            label->show();
            double worst = 21;
            for (int y = 0; y < behind.height(); ++y)
                for (int x = 0; x < behind.width(); ++x)
                    worst = std::min(worst, contrastRatio(writing, behind.pixelColor(x, y)));
            ++measured;
            if (worst < 4.5)
                weak << QStringLiteral("%1 \"%2\" %3 : 1").arg(label->objectName(), label->text()).arg(worst, 0, 'f', 2);
        }
        QVERIFY2(weak.isEmpty(), qPrintable(weak.join(u'\n')));
        QCOMPARE(measured, 13);
    }

    void toolTipsOfTheButtonSets()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        const QStringList toolbar = {"打开一个音乐/视频文件", "保存铃声", "随机选择一段铃声", "",
                                     "给朋友发送EMAIL分享你的铃声", "系统设置", "官方网站", "退出程序"};
        for (int i = 0; i < 8; ++i)
            if (!toolbar[i].isEmpty())
                QCOMPARE(h.image(QStringLiteral("imgButton(%1)").arg(i))->toolTip(), toolbar[i]);
        const QStringList transport = {"播放", "停止", "暂停", "选择铃声起始位置", "选择铃声结束位置",
                                       "播放选择的段落", "保存铃声"};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(h.image(QStringLiteral("imgCtrlButton(%1)").arg(i))->toolTip(), transport[i]);
    }

    void windowIsShapedByTheKeyColourShortlyAfterShowing()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        QVERIFY(WindowHarness::waitFor([&] { return h.window().isShaped(); }, 2000));
        const QRegion mask = h.window().mask();
        QVERIFY(!mask.contains(QPoint(0, 0)));
        QVERIFY(!mask.contains(QPoint(763, 563)));
        QVERIFY(mask.contains(QPoint(382, 282)));
        QVERIFY(mask.contains(QPoint(20, 20)));
    }

    void hoverAndPressPicturesFollowThePointer()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        // A saved notice gives way to the hint while the hint is up.
        h.model().setNotice(Notice{Notice::Kind::Saved, QStringLiteral("/tmp/a ringtone.mp3"), 3.0, 4096});
        const auto noticeShown = [&] {
            return h.window().element(QStringLiteral("lblNotice"))->isVisible()
                   + h.window().element(QStringLiteral("lblNoticeFolder"))->isVisible()
                   + h.window().element(QStringLiteral("lblNoticePlay"))->isVisible();
        };
        QCOMPARE(noticeShown(), 3);
        SkinImage *save = h.image(QStringLiteral("imgButton(1)"));
        QTest::mouseMove(save, QPoint(5, 5));
        QCOMPARE(noticeShown(), 0);
        // leaving for the time line takes the hint and the light away
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(save, &leave);
        QVERIFY(h.window().label(QStringLiteral("lblText"))->text().isEmpty() && !save->hasPicture());
        QCOMPARE(noticeShown(), 3);
        QTest::mouseMove(save, QPoint(6, 6));
        QVERIFY(save->hasPicture());
        QCOMPARE(save->picture().cacheKey(), h.image(QStringLiteral("imgButtonData(1)"))->picture().cacheKey());
        QCOMPARE(h.window().label(QStringLiteral("lblText"))->text(), QStringLiteral("保存铃声"));

        SkinImage *stop = h.image(QStringLiteral("imgCtrlButton(1)"));
        QTest::mousePress(stop, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(stop->picture().cacheKey(), h.image(QStringLiteral("imgCtrlButtonPress(1)"))->picture().cacheKey());

        // sliding off the held button onto the next one only moves the hint
        QMouseEvent slide(QEvent::MouseMove, QPointF(5 + 44, 5), stop->mapToGlobal(QPointF(5 + 44, 5)),
                          Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(stop, &slide);
        QCOMPARE(h.window().label(QStringLiteral("lblText"))->text(), QStringLiteral("暂停"));
        QVERIFY(!h.image(QStringLiteral("imgCtrlButton(2)"))->hasPicture());
        QCOMPARE(stop->picture().cacheKey(), h.image(QStringLiteral("imgCtrlButtonPress(1)"))->picture().cacheKey());

        // the bare face clears every light and the hint
        QTest::mouseRelease(stop, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(&h.window(), QPoint(400, 470));
        QVERIFY(!save->hasPicture());
        QVERIFY(!stop->hasPicture());
        QVERIFY(h.window().label(QStringLiteral("lblText"))->text().isEmpty());
        QCOMPARE(noticeShown(), 3);
    }

    void menuTreeAndPopupCorners()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        QStringList captions;
        for (int i = 0; i < 5; ++i)
            for (QAction *a : h.window().menus().popup(i)->actions())
                captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        // an entry's keys are its shortcut, shown beside its caption
        QCOMPARE(h.window().menus().popup(1)->actions().at(1)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
        QCOMPARE(h.window().menus().popup(2)->actions().at(2)->shortcut(), QKeySequence(Qt::Key_L));
        QCOMPARE(captions, (QStringList{"打开音乐/视频文件(&O)", "保存铃声(&S)", "关闭文件(&C)", "最近打开的文件(&R)", "-", "退出(&E)",
                                        "撤销(&U)", "重做(&R)",
                                        "随机截取铃声(&R)", "给朋友发信分享铃声(&S)", "循环播放选择的段落(&L)", "-",
                                        "显示整个文件(&W)",
                                        "放大到选择的段落(&Z)", "系统设置(&S)", "-", "淡入 0.5 秒", "淡入 1 秒",
                                        "淡入 2 秒", "-", "淡出 0.5 秒", "淡出 1 秒", "淡出 2 秒", "淡出 3 秒", "-",
                                        "统一音量（-14 LUFS）(&N)", "关于(&A)", "官方网站(&H)"}));

        // choosing "官方网站" from the About popup opens the web page
        QMenu *about = h.window().menus().popup(4);
        QTimer::singleShot(100, about, [about] {
            const QPoint expected = about->parentWidget()->mapToGlobal(QPoint(251, 60));
            if (about->pos() == expected)
                about->actions().at(1)->trigger();
            about->close();
        });
        h.click(QStringLiteral("imgMenu(4)"));
        QCOMPARE(h.shell.opened.size(), 1);
        QCOMPARE(h.shell.opened.first().scheme(), QStringLiteral("https"));
        QCOMPARE(h.controller().commands().lastWord(), QStringLiteral("Help"));
    }

    void everyMenuEntryReachesItsAction()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        h.messages.defaultAnswer = MessageAnswer::Cancel;  // keeps the program running on "Exit"
        QStringList written;
        for (int i = 0; i < 5; ++i) {
            for (QAction *entry : h.window().menus().popup(i)->actions()) {
                if (entry->isSeparator() || entry->menu())  // the recent files: see the open tests
                    continue;
                entry->trigger();
                written << h.controller().commands().lastWord();
            }
        }
        QCOMPARE(written, (QStringList{"OpenFile", "SaveRingTone", "CloseFile", "Exit", "Undo", "Redo", "RRC", "SR", "Loop",
                                       "ViewAll", "ViewSelection",
                                       "Setting", "FadeIn500", "FadeIn1000", "FadeIn2000", "FadeOut500",
                                       "FadeOut1000", "FadeOut2000", "FadeOut3000", "Normalize", "About", "Help"}));
        // each length replaced the one before; normalising was turned on
        QCOMPARE(h.model().shaping(), (CutShaping{2000, 3000, true}));
        QCOMPARE(h.chooser.requests.size(), 1);  // the open dialog
        // with nothing open the save says so instead of doing nothing
        QCOMPARE(h.messages.texts().mid(0, 3),
                 (QStringList{SaveFlow::selectionProblemText(save_target::SelectionProblem::NothingOpen, 0),
                              "确定要退出吗？", "请先播放音乐"}));
        QCOMPARE(h.messages.last().title, QStringLiteral("About"));
        QCOMPARE(h.shell.opened.size(), 2);
        QCOMPARE(h.shell.opened.at(0).scheme(), QStringLiteral("mailto"));
        QCOMPARE(h.shell.opened.at(1).scheme(), QStringLiteral("https"));
        QVERIFY(h.window().isVisible());
        QCOMPARE(h.ended, 0);
    }

    void feedbackAndShareOpenAMailToSupport()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        h.click(QStringLiteral("imgFeedback"));
        h.click(QStringLiteral("imgButton(4)"));
        QCOMPARE(h.shell.opened.size(), 2);
        // exactly the address: no padding reaches the mail program as %20
        const QString expected = QStringLiteral("mailto:") + QLatin1String(SupportMailAddress);
        for (const QUrl &url : h.shell.opened)
            QCOMPARE(url.toString(QUrl::FullyEncoded), expected);
    }

    // A press on a caption of the time-line panel belongs to the caption: only a
    // press on the bare panel seeks.
    void pressOnATimelineCaptionDoesNotSeek_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("seeks");
        QTest::newRow("start caption") << "lblTimeLeft" << false;
        QTest::newRow("file name caption") << "lblFileName" << false;
        QTest::newRow("end caption") << "lblTimeRight" << false;
        QTest::newRow("bare panel") << "picOpened" << true;
    }
    void pressOnATimelineCaptionDoesNotSeek()
    {
        QFETCH(QString, key);
        QFETCH(bool, seeks);
        RecordingDevice device;
        WindowHarness h(&device);
        h.model().setMedia(OpenMedia{QStringLiteral("song.wav"), {}, 10000, nullptr});
        QWidget *w = h.window().element(key);
        QVERIFY(w && w->isVisible());
        // the middle of the panel is clear of its children
        QCOMPARE(w->childAt(w->rect().center()), nullptr);
        device.commands.clear();

        h.click(key);
        const bool seeked = std::any_of(device.commands.cbegin(), device.commands.cend(), [](const QString &c) {
            return c.startsWith(QLatin1String("play sound from"));
        });
        QVERIFY2(seeked == seeks, qPrintable(device.commands.join(u'|')));
    }

    // A press on a label of the face does not reach the window, where it would start moving it.
    void pressOnAFaceLabelDoesNotMoveTheWindow()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        PressRecorder windowPresses;
        h.window().installEventFilter(&windowPresses);
        QWidget *time = h.window().element(QStringLiteral("lblTime"));
        QVERIFY(time && time->isVisible());

        h.click(QStringLiteral("lblTime"));
        QCOMPARE(windowPresses.count, 0);
        // control: a press on the bare face does reach the window
        QTest::mouseClick(&h.window(), Qt::LeftButton, {}, QPoint(400, 470));
        QCOMPARE(windowPresses.count, 1);
    }

    void exitCancelledChangesNothing()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        QFile work(h.paths.workWav());
        QVERIFY(work.open(QIODevice::WriteOnly));
        work.close();
        h.messages.defaultAnswer = MessageAnswer::Cancel;
        h.click(QStringLiteral("imgExit"));
        QCOMPARE(h.messages.messages.size(), 1);
        QCOMPARE(h.messages.messages.first().text, QStringLiteral("确定要退出吗？"));
        QCOMPARE(h.messages.messages.first().title, QStringLiteral("退出"));
        QCOMPARE(h.messages.messages.first().icon, MessageIcon::Warning);
        QVERIFY(h.window().isVisible());
        QVERIFY(QFile::exists(h.paths.workWav()));
        QVERIFY(device.commands.isEmpty());
    }

    void exitConfirmedClosesPlaybackAndDeletesTheWorkingWav()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        QFile work(h.paths.workWav());
        QVERIFY(work.open(QIODevice::WriteOnly));
        work.close();
        h.messages.defaultAnswer = MessageAnswer::Ok;
        h.controller().commands().write(QStringLiteral("Exit"));
        QVERIFY(!QFile::exists(h.paths.workWav()));
        QVERIFY(QDir(h.paths.workFolder).exists());
        QCOMPARE(device.commands, (QStringList{"stop sound", "close sound", "stop chime", "close chime"}));
        QVERIFY(!QFileInfo::exists(h.paths.sessionFolder));
    }
};

QTEST_MAIN(UiLayoutTest)
#include "test_ui_layout.moc"
