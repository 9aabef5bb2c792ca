#include "settings/CommonDialogs.h"
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

namespace {

const QString OpenFilter = QStringLiteral(
    "MP3 格式(*.mp3)|*.mp3|WMA 格式(*.wma)|*.wma|WAV 格式(*.wav)|*.wav|AMR 格式(*.amr)|*.amr|"
    "WMV 格式(*.wmv)|*.wmv|AVI 格式(*.avi)|*.avi|MPG 格式(*.mpg)|*.mpg|MOV 格式(*.mov)|*.mov|"
    "OGG 格式(*.ogg)|*.ogg|FLAC 格式(*.flac)|*.flac|所有格式(*.*)|*.*");
const QString SaveFilter = QStringLiteral(
    "MP3 Files(*.mp3)|*.mp3|WMA Files(*.wma)|*.wma|WAV Files(*.wav)|*.wav|AMR Files(*.amr)|*.amr");

// Answers every call with the scripted result and keeps what it was asked.
class FakeChooser : public FilterReportingChooserSeam {
public:
    FileChooserResult chooseWithFilter(const FileChoice &choice) override
    {
        calls.append(choice);
        return answer;
    }
    QList<FileChoice> calls;
    FileChooserResult answer;
};

// A chooser that only knows the plain seam: no selected filter is reported.
class PathOnlyChooser : public FileChooserSeam {
public:
    QString choose(const FileChoice &choice) override
    {
        calls.append(choice);
        return answer;
    }
    QList<FileChoice> calls;
    QString answer;
};

void setUpSaveFlow(CCommonDialogs &dialogs)
{
    dialogs.setFilter(SaveFilter);
    dialogs.setTitle(QStringLiteral("Save As"));
    dialogs.setPath(QString());
    dialogs.setFileName(QStringLiteral("ringtone.mp3"));
}

QFileDialog *visibleFileDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QFileDialog *>(w); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// Types into the name box as a user would. selectFile() leaves the box alone
// while it has the focus, which depends on window activation timing.
void typeName(QFileDialog *dialog, const QString &name)
{
    if (auto *box = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        box->setText(name);
    else
        dialog->selectFile(name);
}

// Runs `act` on the real file dialog once it is up, from inside its modal loop.
// A dialog still open after the grace time is rejected so the test cannot hang.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(QFileDialog *)> act) : m_act(std::move(act))
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            QFileDialog *dialog = visibleFileDialog();
            if (!dialog)
                return;
            m_poll.stop();
            m_seen = true;
            m_act(dialog);
        });
        QObject::connect(&m_guard, &QTimer::timeout, [] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                    box->reject();
            }
            if (QFileDialog *dialog = visibleFileDialog())
                dialog->reject();
        });
        m_poll.start(20);
        m_guard.setSingleShot(true);
        m_guard.start(15000);
    }
    bool sawDialog() const { return m_seen; }

private:
    std::function<void(QFileDialog *)> m_act;
    QTimer m_poll;
    QTimer m_guard;
    bool m_seen = false;
};

}  // namespace

class TestCommonDialogs : public QObject {
    Q_OBJECT

private slots:
    void filterConversion_data();
    void filterConversion();
    void firstExtension_data();
    void firstExtension();

    void openFlowCall();
    void saveFlowCall();
    void chosenPathOutputs_data();
    void chosenPathOutputs();
    void savePathRules_data();
    void savePathRules();
    void defaultExtension_data();
    void defaultExtension();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void gettersTrimAtNul();
    void openStartsWhereTheLastFileWasChosen();

    void realSaveDialog();
    void realOpenDialog();
};

void TestCommonDialogs::filterConversion_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("save flow: descriptions carry the pattern")
        << SaveFilter
        << QStringList{"MP3 Files(*.mp3)", "WMA Files(*.wma)", "WAV Files(*.wav)", "AMR Files(*.amr)"};
    QTest::newRow("plain descriptions get the pattern")
        << QStringLiteral("A|*.a|B|*.b") << QStringList{"A (*.a)", "B (*.b)"};
    QTest::newRow("several patterns")
        << QStringLiteral("Media|*.mp3;*.wav") << QStringList{"Media (*.mp3 *.wav)"};
    QTest::newRow("several patterns already in the description")
        << QStringLiteral("Media(*.mp3;*.wav)|*.mp3;*.wav") << QStringList{"Media(*.mp3 *.wav)"};
    QTest::newRow("other parentheses in the description")
        << QStringLiteral("Sound (short)|*.wav") << QStringList{"Sound (short) (*.wav)"};
    QTest::newRow("an empty piece ends the list")
        << QStringLiteral("A|*.a||B|*.b") << QStringList{"A (*.a)"};
    QTest::newRow("a description without pattern is dropped")
        << QStringLiteral("A|*.a|B") << QStringList{"A (*.a)"};
    QTest::newRow("empty") << QString() << QStringList{};
}

void TestCommonDialogs::filterConversion()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(qtNameFilters(filter), expected);
}

void TestCommonDialogs::firstExtension_data()
{
    QTest::addColumn<QString>("nameFilter");
    QTest::addColumn<QString>("extension");

    QTest::newRow("mp3") << QStringLiteral("MP3 Files(*.mp3)") << QStringLiteral("mp3");
    QTest::newRow("first of several") << QStringLiteral("Media (*.ogg *.mp3)") << QStringLiteral("ogg");
    QTest::newRow("all files") << QStringLiteral("所有格式(*.*)") << QString();
    QTest::newRow("star") << QStringLiteral("Any (*)") << QString();
    QTest::newRow("wildcard extension") << QStringLiteral("Odd (*.m?3)") << QString();
}

void TestCommonDialogs::firstExtension()
{
    QFETCH(QString, nameFilter);
    QFETCH(QString, extension);
    QCOMPARE(firstExtensionOf(nameFilter), extension);
}

void TestCommonDialogs::openFlowCall()
{
    FakeChooser chooser;
    chooser.answer = {QStringLiteral("/music/a b.mp3"), 0};
    CCommonDialogs dialogs;
    dialogs.Init(chooser, QStringLiteral("/opt/brindlewave"));
    dialogs.setFileName(QString());
    dialogs.setFilter(OpenFilter);
    dialogs.setTitle(QStringLiteral("打开一个媒体文件"));

    QVERIFY(dialogs.ShowOpen());

    QCOMPARE(chooser.calls.size(), 1);
    const FileChoice &call = chooser.calls.first();
    QCOMPARE(call.title, QStringLiteral("打开一个媒体文件"));
    QCOMPARE(call.folder, QDir::currentPath());
    QCOMPARE(call.initialName, QString());
    QCOMPARE(call.filters.size(), 11);
    QCOMPARE(call.filters.first(), QStringLiteral("MP3 格式(*.mp3)"));
    QCOMPARE(call.filters.last(), QStringLiteral("所有格式(*.*)"));
    QCOMPARE(call.selectedFilter, 0);
    QVERIFY(!call.save);
}

void TestCommonDialogs::saveFlowCall()
{
    QTemporaryDir programFolder;
    QVERIFY(programFolder.isValid());
    FakeChooser chooser;
    CCommonDialogs dialogs;
    dialogs.Init(chooser, programFolder.path());
    setUpSaveFlow(dialogs);

    QVERIFY(!dialogs.ShowSave());

    QCOMPARE(chooser.calls.size(), 1);
    const FileChoice &call = chooser.calls.first();
    QCOMPARE(call.title, QStringLiteral("Save As"));
    QCOMPARE(call.folder, programFolder.path());
    QCOMPARE(call.initialName, QStringLiteral("ringtone.mp3"));
    QCOMPARE(call.filters, qtNameFilters(SaveFilter));
    QCOMPARE(call.selectedFilter, 0);
    QVERIFY(call.save);
}

void TestCommonDialogs::chosenPathOutputs_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("fileTitle");
    QTest::addColumn<QString>("path");

    QTest::newRow("open") << false << QStringLiteral("/music/a b.mp3") << QStringLiteral("a b.mp3")
                          << QStringLiteral("/music");
    QTest::newRow("open in the root folder") << false << QStringLiteral("/a.mp3")
                                             << QStringLiteral("a.mp3") << QString();
    QTest::newRow("save") << true << QStringLiteral("/home/u/Ring/r.wav") << QStringLiteral("r.wav")
                          << QStringLiteral("/home/u/Ring");
}

void TestCommonDialogs::chosenPathOutputs()
{
    QFETCH(bool, save);
    QFETCH(QString, chosen);
    QFETCH(QString, fileTitle);
    QFETCH(QString, path);

    FakeChooser chooser;
    chooser.answer = {chosen, 2};
    CCommonDialogs dialogs;
    dialogs.Init(chooser, QDir::tempPath());
    setUpSaveFlow(dialogs);

    QVERIFY(save ? dialogs.ShowSave() : dialogs.ShowOpen());
    QCOMPARE(dialogs.FileName(), chosen);
    QCOMPARE(dialogs.FileTitle(), fileTitle);
    QCOMPARE(dialogs.Path(), path);
}

void TestCommonDialogs::savePathRules_data()
{
    // PROGRAM, EXISTING and MISSING stand for folders made by the test.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("startFolder");

    QTest::newRow("empty") << QString() << QStringLiteral("PROGRAM");
    QTest::newRow("blank") << QStringLiteral("   ") << QStringLiteral("PROGRAM");
    QTest::newRow("missing folder") << QStringLiteral("MISSING") << QStringLiteral("PROGRAM");
    QTest::newRow("existing folder") << QStringLiteral("EXISTING") << QStringLiteral("EXISTING/");
    QTest::newRow("existing folder with separator") << QStringLiteral("EXISTING/")
                                                    << QStringLiteral("EXISTING/");
    QTest::newRow("existing folder with fill")
        << QStringLiteral("EXISTING") + QString(3, QChar(0)) << QStringLiteral("EXISTING/");
    QTest::newRow("a file, not a folder") << QStringLiteral("EXISTING/file.txt")
                                          << QStringLiteral("PROGRAM");
}

// The settled folder is where the dialog starts, and stays in Path on cancel.
void TestCommonDialogs::savePathRules()
{
    QFETCH(QString, path);
    QFETCH(QString, startFolder);

    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString program = base.filePath(QStringLiteral("program"));
    const QString existing = base.filePath(QStringLiteral("music"));
    QVERIFY(QDir().mkpath(program));
    QVERIFY(QDir().mkpath(existing));
    QFile file(existing + QStringLiteral("/file.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    auto resolve = [&](QString text) {
        return text.replace(QStringLiteral("PROGRAM"), program)
            .replace(QStringLiteral("EXISTING"), existing)
            .replace(QStringLiteral("MISSING"), base.filePath(QStringLiteral("missing")));
    };

    FakeChooser chooser;
    CCommonDialogs dialogs;
    dialogs.Init(chooser, program);
    setUpSaveFlow(dialogs);
    dialogs.setPath(resolve(path));

    QVERIFY(!dialogs.ShowSave());
    QCOMPARE(chooser.calls.size(), 1);
    QCOMPARE(chooser.calls.first().folder, resolve(startFolder));
    QCOMPARE(dialogs.Path(), resolve(startFolder));
}

void TestCommonDialogs::defaultExtension_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("selectedFilter");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("firstOffered");
    const QString mp3 = QStringLiteral("MP3 Files(*.mp3)");

    QTest::newRow("first filter") << SaveFilter << "/r/ringtone" << 0 << "/r/ringtone.mp3" << mp3;
    QTest::newRow("WAV selected") << SaveFilter << "/r/ringtone" << 2 << "/r/ringtone.wav" << mp3;
    QTest::newRow("AMR selected") << SaveFilter << "/r/ringtone" << 3 << "/r/ringtone.amr" << mp3;
    QTest::newRow("own extension kept") << SaveFilter << "/r/tone.wma" << 0 << "/r/tone.wma" << mp3;
    QTest::newRow("any dot counts") << SaveFilter << "/r/my.song" << 1 << "/r/my.song" << mp3;
    QTest::newRow("dot in the folder only") << SaveFilter << "/r.d/tone" << 1 << "/r.d/tone.wma" << mp3;
    QTest::newRow("unknown selection") << SaveFilter << "/r/tone" << -1 << "/r/tone.mp3" << mp3;
    QTest::newRow("empty filter: all files, nothing added")
        << QString() << "/r/tone" << 0 << "/r/tone" << QStringLiteral("*.* (*.*)");
}

void TestCommonDialogs::defaultExtension()
{
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(int, selectedFilter);
    QFETCH(QString, fileName);
    QFETCH(QString, firstOffered);

    FakeChooser chooser;
    chooser.answer = {typed, selectedFilter};
    CCommonDialogs dialogs;
    dialogs.Init(chooser, QDir::tempPath());
    setUpSaveFlow(dialogs);
    dialogs.setFilter(filter);

    QVERIFY(dialogs.ShowSave());
    QCOMPARE(chooser.calls.first().filters.value(0), firstOffered);
    QCOMPARE(dialogs.FileName(), fileName);
    QCOMPARE(dialogs.FileTitle(), fileName.mid(fileName.lastIndexOf(u'/') + 1));
}

void TestCommonDialogs::cancelChangesNothing_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("pathOnlyChooser");
    QTest::newRow("open") << false << false;
    QTest::newRow("save") << true << false;
    QTest::newRow("open, plain chooser") << false << true;
    QTest::newRow("save, plain chooser") << true << true;
}

void TestCommonDialogs::cancelChangesNothing()
{
    QFETCH(bool, save);
    QFETCH(bool, pathOnlyChooser);

    FakeChooser fake;
    PathOnlyChooser plain;
    CCommonDialogs dialogs;
    if (pathOnlyChooser)
        dialogs.Init(plain, QDir::tempPath());
    else
        dialogs.Init(fake, QDir::tempPath());
    setUpSaveFlow(dialogs);
    dialogs.setFileTitle(QStringLiteral("earlier.mp3"));
    const QString existing = QDir::tempPath() + u'/';
    dialogs.setPath(existing);

    QVERIFY(!(save ? dialogs.ShowSave() : dialogs.ShowOpen()));
    QCOMPARE(pathOnlyChooser ? plain.calls.size() : fake.calls.size(), 1);
    QCOMPARE(dialogs.FileName(), QStringLiteral("ringtone.mp3"));
    QCOMPARE(dialogs.FileTitle(), QStringLiteral("earlier.mp3"));
    QCOMPARE(dialogs.Path(), existing);
}

void TestCommonDialogs::gettersTrimAtNul()
{
    const QString filled = QStringLiteral("abc") + QChar(0) + QStringLiteral("def");
    CCommonDialogs dialogs;
    dialogs.setFileName(filled);
    dialogs.setFileTitle(filled);
    dialogs.setPath(filled);
    dialogs.setTitle(filled);
    dialogs.setFilter(filled);
    dialogs.setDefExt(filled);

    QCOMPARE(dialogs.FileName(), QStringLiteral("abc"));
    QCOMPARE(dialogs.FileTitle(), QStringLiteral("abc"));
    QCOMPARE(dialogs.Path(), QStringLiteral("abc"));
    QCOMPARE(dialogs.Title(), QStringLiteral("abc"));
    QCOMPARE(dialogs.Filter(), filled);
    QCOMPARE(dialogs.DefExt(), filled);

    dialogs.setFileName(QString(4, QChar(0)));
    QCOMPARE(dialogs.FileName(), QString());

    // The trimmed title is what the dialog shows.
    FakeChooser chooser;
    dialogs.Init(chooser, QDir::tempPath());
    dialogs.ShowOpen();
    QCOMPARE(chooser.calls.first().title, QStringLiteral("abc"));
}

void TestCommonDialogs::openStartsWhereTheLastFileWasChosen()
{
    QTemporaryDir saved;
    QVERIFY(saved.isValid());
    FakeChooser chooser;
    CCommonDialogs dialogs;
    dialogs.Init(chooser, QDir::tempPath());

    chooser.answer = {QStringLiteral("/media/disc/track.flac"), 0};
    QVERIFY(dialogs.ShowOpen());
    chooser.answer = {};
    QVERIFY(!dialogs.ShowOpen());

    setUpSaveFlow(dialogs);
    chooser.answer = {saved.filePath(QStringLiteral("tone.mp3")), 0};
    QVERIFY(dialogs.ShowSave());
    chooser.answer = {};
    QVERIFY(!dialogs.ShowOpen());

    QCOMPARE(chooser.calls.size(), 4);
    QCOMPARE(chooser.calls[0].folder, QDir::currentPath());
    QCOMPARE(chooser.calls[1].folder, QStringLiteral("/media/disc"));
    QCOMPARE(chooser.calls[3].folder, saved.path());
}

// The save flow through Qt's real dialog: what it shows, and a name typed
// without an extension under the WAV filter. The name is completed inside the
// dialog, so the question before replacing a file is about the file written.
void TestCommonDialogs::realSaveDialog()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile existing(folder.filePath(QStringLiteral("tone.wav")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    QWidget mainWindow;
    QtFileChooser chooser(&mainWindow);
    CCommonDialogs dialogs;
    dialogs.Init(chooser, QDir::tempPath());
    setUpSaveFlow(dialogs);
    dialogs.setPath(folder.path());

    QString title;
    QString directory;
    QStringList nameFilters;
    QString selectedFilter;
    QStringList selectedFiles;
    QWidget *parent = nullptr;
    QString question;
    QTimer answerQuestion;
    QObject::connect(&answerQuestion, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (box && box->isVisible() && box->button(QMessageBox::Yes)) {
                answerQuestion.stop();
                question = box->text();
                box->button(QMessageBox::Yes)->click();
            }
        }
    });
    answerQuestion.start(20);
    const QStringList expectedFilters = qtNameFilters(SaveFilter);
    DialogDriver driver([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        directory = dialog->directory().absolutePath();
        nameFilters = dialog->nameFilters();
        selectedFilter = dialog->selectedNameFilter();
        selectedFiles = dialog->selectedFiles();
        parent = dialog->parentWidget();
        dialog->selectNameFilter(expectedFilters.value(2));
        typeName(dialog, QStringLiteral("tone"));
        QMetaObject::invokeMethod(dialog, "accept");
    });

    const bool confirmed = dialogs.ShowSave();

    QVERIFY(driver.sawDialog());
    QCOMPARE(title, QStringLiteral("Save As"));
    QCOMPARE(directory, QDir(folder.path()).absolutePath());
    QCOMPARE(nameFilters, expectedFilters);
    QCOMPARE(selectedFilter, QStringLiteral("MP3 Files(*.mp3)"));
    QCOMPARE(selectedFiles, QStringList{folder.filePath(QStringLiteral("ringtone.mp3"))});
    QVERIFY2(question.contains(QStringLiteral("tone.wav")), qPrintable(question));
    QCOMPARE(parent, &mainWindow);
    QVERIFY(confirmed);
    QCOMPARE(dialogs.FileName(), folder.filePath(QStringLiteral("tone.wav")));
    QCOMPARE(dialogs.FileTitle(), QStringLiteral("tone.wav"));
    QCOMPARE(dialogs.Path(), folder.path());
}

// The open dialog lets only an existing file through and reports the filter.
void TestCommonDialogs::realOpenDialog()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile song(folder.filePath(QStringLiteral("song.ogg")));
    QVERIFY(song.open(QIODevice::WriteOnly));
    song.close();

    QtFileChooser chooser;
    FileChoice choice;
    choice.title = QStringLiteral("打开一个媒体文件");
    choice.folder = folder.path();
    choice.filters = qtNameFilters(OpenFilter);
    choice.selectedFilter = 0;

    QString title;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptSave;
    QString selectedFilter;
    DialogDriver driver([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        mode = dialog->fileMode();
        acceptMode = dialog->acceptMode();
        selectedFilter = dialog->selectedNameFilter();
        dialog->selectNameFilter(choice.filters.value(8));
        typeName(dialog, QStringLiteral("song.ogg"));
        QMetaObject::invokeMethod(dialog, "accept");
    });

    const FileChooserResult result = chooser.chooseWithFilter(choice);

    QVERIFY(driver.sawDialog());
    QCOMPARE(title, QStringLiteral("打开一个媒体文件"));
    QCOMPARE(mode, QFileDialog::ExistingFile);
    QCOMPARE(acceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(selectedFilter, QStringLiteral("MP3 格式(*.mp3)"));
    QCOMPARE(result.path, folder.filePath(QStringLiteral("song.ogg")));
    QCOMPARE(result.selectedFilter, 8);
}

QTEST_MAIN(TestCommonDialogs)
#include "test_common_dialogs.moc"
