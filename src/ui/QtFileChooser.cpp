#include "ui/QtFileChooser.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Qt's file dialog reads double quotes in the name box as a list of several
// names ("a" "b"). A save names one file, so a name with a double quote in it
// is taken literally here; every other name is left to Qt.
class ChooserDialog : public QFileDialog {
public:
    ChooserDialog(QWidget *parent, const QString &title, const QString &folder)
        : QFileDialog(parent, title, folder)
    {
        setOption(QFileDialog::DontUseNativeDialog);
        // After Qt's own handler, which enables the Save button by its reading.
        if (QLineEdit *box = nameBox())
            connect(box, &QLineEdit::textChanged, this, [this](const QString &text) { enableSaveFor(text); });
    }

    // The file a save confirmed through the literal reading; empty otherwise.
    QString literalChoice() const { return m_literalChoice; }

    // The default suffix follows the filter selected at the moment of
    // confirming, so that the overwrite question is asked about the file that
    // will really be written.
    void accept() override
    {
        if (acceptMode() == QFileDialog::AcceptSave) {
            setDefaultSuffix(firstExtensionOf(selectedNameFilter()));
            const QLineEdit *box = nameBox();
            if (box && box->text().contains(u'"')) {
                acceptLiterally(box->text());
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    QLineEdit *nameBox() const { return findChild<QLineEdit *>(QStringLiteral("fileNameEdit")); }

    QPushButton *saveButton() const
    {
        const auto *buttons = findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        return buttons ? buttons->button(QDialogButtonBox::Save) : nullptr;
    }

    // Qt's reading may leave no name at all (`tone"`) or name a folder, and
    // then disables the button or offers to open; the literal name is a file
    // to save.
    void enableSaveFor(const QString &text)
    {
        QPushButton *save = saveButton();
        if (acceptMode() != QFileDialog::AcceptSave || !save || !text.contains(u'"'))
            return;
        save->setEnabled(true);
        save->setText(QCoreApplication::translate("QFileDialog", "&Save"));
    }

    // As Qt confirms a single typed name: relative to the folder shown, the
    // default suffix added to a name without a dot, a folder entered rather
    // than chosen, and Qt's own question before an existing file is replaced.
    void acceptLiterally(const QString &name)
    {
        QString path = directory().filePath(name);  // an absolute name stays as it is
        if (!QFileInfo(path).isDir() && !QFileInfo(path).fileName().contains(u'.') && !defaultSuffix().isEmpty())
            path += u'.' + defaultSuffix();
        const QFileInfo target(path);
        if (target.isDir()) {
            setDirectory(target.absoluteFilePath());
            return;
        }
        if (target.exists() && !testOption(QFileDialog::DontConfirmOverwrite)) {
            const QString question = QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?");
            if (QMessageBox::warning(this, windowTitle(), question.arg(target.fileName()),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                != QMessageBox::Yes)
                return;
        }
        m_literalChoice = path;
        QDialog::accept();
    }

    QString m_literalChoice;
};

}  // namespace

FileChooserResult QtFileChooser::chooseWithFilter(const FileChoice &choice)
{
    ChooserDialog dialog(m_mainWindow, choice.title, choice.folder);
    dialog.setAcceptMode(choice.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(choice.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!choice.filters.isEmpty()) {
        dialog.setNameFilters(choice.filters);
        dialog.selectNameFilter(choice.filters.value(choice.selectedFilter, choice.filters.first()));
    }
    // After the filter: in save mode, selecting a filter rewrites the extension
    // of the name already in the box.
    if (!choice.initialName.isEmpty())
        dialog.selectFile(choice.initialName);

    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    FileChooserResult result;
    result.path = !dialog.literalChoice().isEmpty() ? dialog.literalChoice() : files.value(0);
    if (result.path.isEmpty())
        return {};
    result.selectedFilter = choice.filters.indexOf(dialog.selectedNameFilter());
    return result;
}
