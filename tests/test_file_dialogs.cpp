#include "settings/FileDialogs.h"
#include "ui/QtFileChooser.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <optional>

namespace {

const QString SaveFilter = QStringLiteral(
    "MP3 Files(*.mp3)|*.mp3|WMA Files(*.wma)|*.wma|WAV Files(*.wav)|*.wav|AMR Files(*.amr)|*.amr");
const QString ProgramFolder = QStringLiteral("/opt/brindlewave");
// The NUL fill that callers with fixed-length text leave behind; the getters cut it off.
const QString Fill(3, QChar(0));

// Answers every call with the scripted result and keeps what it was asked.
class FakeChooser : public FilterReportingChooserSeam {
public:
    FileChooserResult chooseWithFilter(const FileChoice &choice) override { calls.append(choice); return answer; }
    QList<FileChoice> calls;
    FileChooserResult answer;
};

// Knows only the plain seam, so reports no selected filter; always cancels.
class PathOnlyChooser : public FileChooserSeam {
public:
    QString choose(const FileChoice &choice) override { calls.append(choice); return {}; }
    QList<FileChoice> calls;
};

void setUpSaveFlow(FileDialogs &dialogs, FileChooserSeam &chooser, const QString &programFolder = ProgramFolder)
{
    dialogs.init(chooser, programFolder);
    dialogs.setFilter(SaveFilter);
    dialogs.setTitle(QStringLiteral("Save As") + Fill);
    dialogs.setPath(QString());
    dialogs.setFileName(QStringLiteral("ringtone.mp3") + Fill);
}

bool touch(const QString &path) { return QFile(path).open(QIODevice::WriteOnly); }

// Runs `act` once on Qt's file dialog inside its modal loop and answers Yes to any question,
// keeping its text. Whatever is still open after the grace time is rejected, so nothing hangs.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(QFileDialog *)> act)
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this, act] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(w);
                auto *dialog = qobject_cast<QFileDialog *>(w);
                if (box && box->isVisible() && box->button(QMessageBox::Yes)) {
                    question = box->text();
                    box->button(QMessageBox::Yes)->click();
                } else if (dialog && dialog->isVisible() && !sawDialog) {
                    sawDialog = true;
                    act(dialog);
                }
            }
        });
        QTimer::singleShot(15000, &m_poll, [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<QDialog *>(w); dialog && dialog->isVisible())
                    dialog->reject();
        });
        m_poll.start(20);
    }
    bool sawDialog = false;
    QString question;

private:
    QTimer m_poll;
};

}  // namespace

class TestFileDialogs : public QObject {
    Q_OBJECT

private slots:
    void filterConversion_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("descriptions carry the pattern")
            << "MP3 格式(*.mp3)|*.mp3|所有格式(*.*)|*.*" << QStringList{"MP3 格式(*.mp3)", "所有格式(*.*)"};
        QTest::newRow("plain descriptions get the pattern") << "A|*.a|B|*.b" << QStringList{"A (*.a)", "B (*.b)"};
        QTest::newRow("several patterns") << "Media|*.mp3;*.wav" << QStringList{"Media (*.mp3 *.wav)"};
        QTest::newRow("several patterns in the description")
            << "Media(*.mp3;*.wav)|*.mp3;*.wav" << QStringList{"Media(*.mp3 *.wav)"};
        QTest::newRow("other parentheses") << "Sound (short)|*.wav" << QStringList{"Sound (short) (*.wav)"};
        QTest::newRow("an empty piece ends the list") << "A|*.a||B|*.b" << QStringList{"A (*.a)"};
        QTest::newRow("a description without pattern is dropped") << "A|*.a|B" << QStringList{"A (*.a)"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void filterConversion()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(qtNameFilters(filter), expected);
    }

    // What the chooser is asked, and the outputs with the save dialog's default extension.
    void showTakesTheChoice_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("fileName");

        QTest::newRow("open") << false << SaveFilter << "/music/a b.mp3" << 2 << "/music/a b.mp3";
        QTest::newRow("open in the root folder") << false << SaveFilter << "/a.mp3" << 0 << "/a.mp3";
        QTest::newRow("open adds no extension") << false << SaveFilter << "/r/tone" << 0 << "/r/tone";
        QTest::newRow("first filter") << true << SaveFilter << "/r/ringtone" << 0 << "/r/ringtone.mp3";
        QTest::newRow("WAV selected") << true << SaveFilter << "/r/ringtone" << 2 << "/r/ringtone.wav";
        QTest::newRow("any dot counts") << true << SaveFilter << "/r/my.song" << 1 << "/r/my.song";
        QTest::newRow("dot in the folder only") << true << SaveFilter << "/r.d/tone" << 1 << "/r.d/tone.wma";
        QTest::newRow("unknown selection") << true << SaveFilter << "/r/tone" << -1 << "/r/tone.mp3";
        QTest::newRow("first of several patterns") << true << "Media|*.ogg;*.mp3" << "/r/tone" << 0 << "/r/tone.ogg";
        QTest::newRow("all files") << true << "所有格式(*.*)|*.*" << "/r/tone" << 0 << "/r/tone";
        QTest::newRow("star") << true << "Any|*" << "/r/tone" << 0 << "/r/tone";
        QTest::newRow("wildcard extension") << true << "Odd|*.m?3" << "/r/tone" << 0 << "/r/tone";
        QTest::newRow("empty filter offers all files") << true << "" << "/r/tone" << 0 << "/r/tone";
    }

    void showTakesTheChoice()
    {
        QFETCH(bool, save);
        QFETCH(QString, filter);
        QFETCH(QString, chosen);
        QFETCH(int, selected);
        QFETCH(QString, fileName);
        FakeChooser chooser;
        chooser.answer = {chosen, selected};
        FileDialogs dialogs;
        setUpSaveFlow(dialogs, chooser);
        dialogs.setFilter(filter);

        QVERIFY(save ? dialogs.showSave() : dialogs.showOpen());
        QCOMPARE(chooser.calls.size(), 1);
        const FileChoice &call = chooser.calls.first();
        QCOMPARE(call.title, QStringLiteral("Save As"));
        QCOMPARE(call.folder, save ? ProgramFolder : QDir::currentPath());
        QCOMPARE(call.initialName, QStringLiteral("ringtone.mp3"));
        QCOMPARE(call.filters, filter.isEmpty() ? QStringList{"*.* (*.*)"} : qtNameFilters(filter));
        QCOMPARE(call.selectedFilter, 0);
        QCOMPARE(call.save, save);
        const qsizetype slash = fileName.lastIndexOf(u'/');
        QCOMPARE(dialogs.fileName(), fileName);
        QCOMPARE(dialogs.fileTitle(), fileName.mid(slash + 1));
        QCOMPARE(dialogs.path(), fileName.left(slash));
    }

    // PROGRAM, EXISTING and MISSING stand for folders made by the test; the save dialog
    // settles Path to the folder it starts in, and keeps it there on cancel.
    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("chooser");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("pathAfter");

        QTest::newRow("save, empty") << true << "fake" << "" << "PROGRAM";
        QTest::newRow("save, blank") << true << "fake" << "   " << "PROGRAM";
        QTest::newRow("save, missing folder") << true << "fake" << "MISSING" << "PROGRAM";
        QTest::newRow("save, existing folder") << true << "fake" << "EXISTING" << "EXISTING/";
        QTest::newRow("save, with separator") << true << "fake" << "EXISTING/" << "EXISTING/";
        QTest::newRow("save, with fill") << true << "fake" << "EXISTING" + Fill << "EXISTING/";
        QTest::newRow("save, a file") << true << "fake" << "EXISTING/file.txt" << "PROGRAM";
        QTest::newRow("save, plain chooser") << true << "plain" << "EXISTING/" << "EXISTING/";
        QTest::newRow("save, real dialog") << true << "real" << "EXISTING" << "EXISTING/";
        QTest::newRow("open") << false << "fake" << "MISSING" + Fill << "MISSING";
        QTest::newRow("open, plain chooser") << false << "plain" << "MISSING" << "MISSING";
        QTest::newRow("open, real dialog") << false << "real" << "MISSING" << "MISSING";
    }

    void cancelChangesNothing()
    {
        QFETCH(bool, save);
        QFETCH(QString, chooser);
        QFETCH(QString, path);
        QFETCH(QString, pathAfter);
        QTemporaryDir base;
        QVERIFY(base.isValid());
        const QString program = base.filePath(QStringLiteral("program"));
        const QString existing = base.filePath(QStringLiteral("music"));
        QVERIFY(QDir().mkpath(program) && QDir().mkpath(existing) && touch(existing + QStringLiteral("/file.txt")));
        auto resolve = [&](QString text) {
            return text.replace(QStringLiteral("PROGRAM"), program)
                .replace(QStringLiteral("EXISTING"), existing)
                .replace(QStringLiteral("MISSING"), base.filePath(QStringLiteral("missing")));
        };
        FakeChooser fake;
        PathOnlyChooser plain;
        QtFileChooser real;
        std::optional<DialogDriver> driver;
        QString shownFolder;
        if (chooser == QLatin1String("real"))
            driver.emplace([&](QFileDialog *dialog) {
                shownFolder = dialog->directory().absolutePath();
                dialog->reject();
            });
        FileDialogs dialogs;
        setUpSaveFlow(dialogs, chooser == QLatin1String("fake") ? static_cast<FileChooserSeam &>(fake)
                               : chooser == QLatin1String("plain") ? static_cast<FileChooserSeam &>(plain)
                                                                   : real, program);
        dialogs.setFileTitle(QStringLiteral("earlier.mp3") + Fill);
        dialogs.setPath(resolve(path));

        QVERIFY(!(save ? dialogs.showSave() : dialogs.showOpen()));
        const QList<FileChoice> calls = fake.calls + plain.calls;
        QCOMPARE(calls.size() + (driver && driver->sawDialog), 1);
        const QString start = save ? resolve(pathAfter) : QDir::currentPath();
        QCOMPARE(driver ? shownFolder : calls.first().folder, driver ? QDir(start).absolutePath() : start);
        QCOMPARE(dialogs.fileName(), QStringLiteral("ringtone.mp3"));
        QCOMPARE(dialogs.fileTitle(), QStringLiteral("earlier.mp3"));
        QCOMPARE(dialogs.path(), resolve(pathAfter));
    }

    void openStartsWhereTheLastFileWasChosen()
    {
        QTemporaryDir saved;
        QVERIFY(saved.isValid());
        FakeChooser chooser;
        FileDialogs dialogs;
        setUpSaveFlow(dialogs, chooser);

        chooser.answer = {QStringLiteral("/media/disc/track.flac"), 0};
        QVERIFY(dialogs.showOpen());
        chooser.answer = {};
        QVERIFY(!dialogs.showOpen());
        chooser.answer = {saved.filePath(QStringLiteral("tone.mp3")), 0};
        QVERIFY(dialogs.showSave());
        chooser.answer = {};
        QVERIFY(!dialogs.showOpen());

        QCOMPARE(chooser.calls.size(), 4);
        QCOMPARE(chooser.calls[0].folder, QDir::currentPath());
        QCOMPARE(chooser.calls[1].folder, QStringLiteral("/media/disc"));
        QCOMPARE(chooser.calls[3].folder, saved.path());

        // a folder and filter the open flow gives are where it starts; the
        // filter confirmed with is told back
        QTemporaryDir own;
        dialogs.setPath(own.path());
        dialogs.setFilterIndex(3);
        chooser.answer = {own.filePath(QStringLiteral("a.wma")), 1};
        QVERIFY(dialogs.showOpen());
        QCOMPARE(chooser.calls[4].folder, own.path());
        QCOMPARE(chooser.calls[4].selectedFilter, 2);
        QCOMPARE(dialogs.filterIndex(), 2);
    }

    // Qt's own dialog: what it shows, and a save name typed without extension under the WAV
    // filter is completed inside it, so the question before replacing a file names the file written.
    void realDialog_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }

    void realDialog()
    {
        QFETCH(bool, save);
        QTemporaryDir folder;
        QVERIFY(folder.isValid() && touch(folder.filePath(QStringLiteral("tone.wav"))));
        QWidget mainWindow;
        QtFileChooser chooser(&mainWindow);
        const FileChoice choice{QStringLiteral("打开一个媒体文件"), folder.path(), save ? QStringLiteral("ringtone.mp3") : QString(),
                                qtNameFilters(SaveFilter), 0, save};
        QStringList shown, nameFilters, selectedFiles;
        QWidget *parent = nullptr;
        bool modesRight = false;
        DialogDriver driver([&](QFileDialog *dialog) {
            shown = {dialog->windowTitle(), dialog->directory().absolutePath(), dialog->selectedNameFilter()};
            nameFilters = dialog->nameFilters();
            selectedFiles = dialog->selectedFiles();
            parent = dialog->parentWidget();
            modesRight = save ? dialog->fileMode() == QFileDialog::AnyFile && dialog->acceptMode() == QFileDialog::AcceptSave
                              : dialog->fileMode() == QFileDialog::ExistingFile && dialog->acceptMode() == QFileDialog::AcceptOpen;
            dialog->selectNameFilter(choice.filters.value(2));
            // Typed as a user would (selectFile() leaves a focused box alone); accepted once the driver's
            // timer has returned, so that it can answer the overwrite question.
            if (auto *nameBox = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                nameBox->setText(save ? QStringLiteral("tone") : QStringLiteral("tone.wav"));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });

        const FileChooserResult result = chooser.chooseWithFilter(choice);
        QVERIFY(driver.sawDialog);
        QCOMPARE(shown, (QStringList{choice.title, QDir(folder.path()).absolutePath(), "MP3 Files(*.mp3)"}));
        QCOMPARE(nameFilters, choice.filters);
        QCOMPARE(parent, &mainWindow);
        QVERIFY(modesRight);
        if (save) {
            QCOMPARE(selectedFiles, QStringList{folder.filePath(QStringLiteral("ringtone.mp3"))});
            QVERIFY2(driver.question.contains(QStringLiteral("tone.wav")), qPrintable(driver.question));
        }
        QCOMPARE(result.path, folder.filePath(QStringLiteral("tone.wav")));
        QCOMPARE(result.selectedFilter, 2);
    }
};

QTEST_MAIN(TestFileDialogs)
#include "test_file_dialogs.moc"
