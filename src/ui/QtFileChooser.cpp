#include "ui/QtFileChooser.h"

#include <QFileDialog>

namespace {

class ChooserDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    // The default suffix follows the filter selected at the moment of
    // confirming, so that the overwrite question is asked about the file that
    // will really be written.
    void accept() override
    {
        if (acceptMode() == QFileDialog::AcceptSave)
            setDefaultSuffix(firstExtensionOf(selectedNameFilter()));
        QFileDialog::accept();
    }
};

}  // namespace

FileChooserResult QtFileChooser::chooseWithFilter(const FileChoice &choice)
{
    ChooserDialog dialog(m_mainWindow, choice.title, choice.folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
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
    if (files.isEmpty())
        return {};
    FileChooserResult result;
    result.path = files.first();
    result.selectedFilter = choice.filters.indexOf(dialog.selectedNameFilter());
    return result;
}
