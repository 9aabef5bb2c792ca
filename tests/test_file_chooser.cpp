// The save dialog as the program shows it, driven as a user types into its name box.
#include "settings/FileDialogs.h"
#include "ui/QtFileChooser.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QStringList Filters = {QStringLiteral("MP3 Files(*.mp3)"), QStringLiteral("WAV Files(*.wav)")};

// Plays the user at the save dialog. Whenever the dialog is the modal window and no step is
// under way, it types the next name into the name box and confirms it, with Return in the box
// or with a click on the Save button. The question before a file is replaced is kept and
// answered with `replace`. With every name typed and the dialog still open, it notes that and
// cancels. A dialog still open after a generous grace time is cancelled, so nothing hangs.
class SaveDialogUser {
public:
    SaveDialogUser(QStringList names, bool replace, bool viaButton)
        : m_names(std::move(names)), m_replace(replace), m_viaButton(viaButton)
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this] { step(); });
        m_poll.start(10);
        m_grace.setSingleShot(true);
        QObject::connect(&m_grace, &QTimer::timeout, [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<QDialog *>(w); dialog && dialog->isVisible())
                    dialog->reject();
        });
        m_grace.start(30000);
    }

    QStringList questions;   // title and text of each, one line break apart
    bool stayedOpen = false;

private:
    void step()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            questions << box->windowTitle() + u'\n' + box->text();
            box->button(m_replace ? QMessageBox::Yes : QMessageBox::No)->click();
            return;
        }
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog || m_busy)
            return;
        if (m_names.isEmpty()) {
            stayedOpen = true;
            dialog->reject();
            return;
        }
        // Confirmed from the event loop rather than inside this step, so that the next steps
        // can answer a question the confirmation asks.
        m_busy = true;
        QMetaObject::invokeMethod(dialog, [this, dialog, name = m_names.takeFirst()] {
            type(dialog, name);
            m_busy = false;
        }, Qt::QueuedConnection);
    }

    void type(QFileDialog *dialog, const QString &name)
    {
        auto *nameBox = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QPushButton *save = buttons ? buttons->button(QDialogButtonBox::Save) : nullptr;
        if (!nameBox || !save) {
            dialog->reject();
            return;
        }
        nameBox->setFocus();
        nameBox->setText(name);
        if (m_viaButton) {
            save->click();
        }
        else
            QTest::keyClick(nameBox, Qt::Key_Return);
    }

    QStringList m_names;
    bool m_replace;
    bool m_viaButton;
    bool m_busy = false;
    QTimer m_poll;
    QTimer m_grace;
};

}  // namespace

class TestFileChooser : public QObject {
    Q_OBJECT

private slots:
    // FOLDER stands for the folder the dialog opens in; it holds the folders `sub` and `q "d"`.
    void typedNameIsTakenLiterally_data()
    {
        QTest::addColumn<QStringList>("names");    // typed one after another, each confirmed
        QTest::addColumn<bool>("viaButton");       // confirmed with the Save button, not Return
        QTest::addColumn<QString>("existing");     // a file there before; empty: none
        QTest::addColumn<bool>("replace");         // the answer to the question before replacing it
        QTest::addColumn<QString>("expected");     // in FOLDER; empty: nothing chosen, dialog left open

        QTest::newRow("quotes, apostrophe, blanks and Chinese")
            << QStringList{"it's \"q\" 铃.wav"} << false << "" << false << "it's \"q\" 铃.wav";
        QTest::newRow("blanks") << QStringList{"my ring tone.wav"} << false << "" << false << "my ring tone.wav";
        QTest::newRow("no extension takes the filter's") << QStringList{"my tone"} << false << "" << false << "my tone.mp3";
        QTest::newRow("quoted, no extension") << QStringList{"say \"hi\""} << false << "" << false << "say \"hi\".mp3";
        QTest::newRow("a lone quote, with the Save button") << QStringList{"tone\""} << true << "" << false << "tone\".mp3";
        QTest::newRow("a folder's name in quotes, with the Save button")
            << QStringList{"\"sub\""} << true << "" << false << "\"sub\".mp3";
        QTest::newRow("absolute path") << QStringList{"FOLDER/sub/tone.wav"} << false << "" << false << "sub/tone.wav";
        QTest::newRow("absolute path with quotes")
            << QStringList{"FOLDER/sub/\"x\".wav"} << false << "" << false << "sub/\"x\".wav";
        QTest::newRow("a folder's name enters it")
            << QStringList{"sub", "x \"y\".wav"} << false << "" << false << "sub/x \"y\".wav";
        QTest::newRow("a quoted folder's name enters it")
            << QStringList{"q \"d\"", "t \"u\""} << false << "" << false << "q \"d\"/t \"u\".mp3";
        QTest::newRow("existing quoted name, replaced")
            << QStringList{"a \"b\".wav"} << false << "a \"b\".wav" << true << "a \"b\".wav";
        QTest::newRow("existing quoted name, kept")
            << QStringList{"a \"b\".wav"} << false << "a \"b\".wav" << false << "";
        QTest::newRow("existing quoted name without extension, kept")
            << QStringList{"a \"b\""} << false << "a \"b\".mp3" << false << "";
    }

    void typedNameIsTakenLiterally()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, viaButton);
        QFETCH(QString, existing);
        QFETCH(bool, replace);
        QFETCH(QString, expected);
        QTemporaryDir base;
        QVERIFY(base.isValid());
        const QDir folder(base.path());
        QVERIFY(folder.mkdir(QStringLiteral("sub")) && folder.mkdir(QStringLiteral("q \"d\"")));
        if (!existing.isEmpty())
            QVERIFY(QFile(folder.filePath(existing)).open(QIODevice::WriteOnly));
        names.replaceInStrings(QStringLiteral("FOLDER"), folder.path());

        QtFileChooser chooser;
        const FileChoice choice{QStringLiteral("保存铃声"), folder.path(), QStringLiteral("ringtone.mp3"), Filters, 0, true};
        SaveDialogUser user(names, replace, viaButton);
        const FileChooserResult result = chooser.chooseWithFilter(choice);

        const QString question =
            QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
                .arg(QFileInfo(existing).fileName());
        QCOMPARE(user.questions, existing.isEmpty() ? QStringList() : QStringList{choice.title + u'\n' + question});
        QCOMPARE(user.stayedOpen, expected.isEmpty());
        QCOMPARE(result.path, expected.isEmpty() ? QString() : folder.filePath(expected));
        QCOMPARE(result.selectedFilter, expected.isEmpty() ? -1 : 0);
    }
};

QTEST_MAIN(TestFileChooser)
#include "test_file_chooser.moc"
