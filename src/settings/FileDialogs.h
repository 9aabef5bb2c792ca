#pragma once

#include "model/Seams.h"

#include <QString>
#include <QStringList>

// What a chooser reports beyond the path: which of the offered filters was
// selected when the user confirmed. The save flow picks the output format from
// the extension, so a name typed without one takes the selected filter's.
struct FileChooserResult {
    QString path;             // empty: cancelled
    int selectedFilter = -1;  // index into FileChoice::filters; -1: not known
};

// A chooser that can also tell the selected filter. Choosers that only answer
// FileChooserSeam still work; the filter offered first is then assumed.
class FilterReportingChooserSeam : public FileChooserSeam {
public:
    virtual FileChooserResult chooseWithFilter(const FileChoice &choice) = 0;
    QString choose(const FileChoice &choice) final { return chooseWithFilter(choice).path; }
};

// Turns "Description|pattern|Description|pattern" into Qt name filters. A
// description that already ends with its pattern in parentheses
// ("MP3 格式(*.mp3)") is kept as it is; otherwise the pattern is appended.
// Patterns separated by ';' become blank-separated, as Qt reads them.
QStringList qtNameFilters(const QString &filter);

// The extension (without dot) a name typed without one gets under this Qt name
// filter: that of its first pattern, or empty when the pattern has no plain
// extension ("*.*", "*").
QString firstExtensionOf(const QString &qtNameFilter);

// Adds the extension to a path whose file name has no dot in it.
QString withDefaultExtension(const QString &path, const QString &extension);

// The open and save dialogs behind properties and Show calls, as the open and
// save flows use them. Inputs stay set between calls: a caller sets every
// input it depends on before each call. The getters of FileName, FileTitle,
// Path and Title return the text up to the first NUL character.
class FileDialogs {
public:
    // The chooser takes the place of the owner window; the program folder is
    // where the save dialog starts when Path gives no usable folder.
    void init(FileChooserSeam &chooser, const QString &programFolder);

    QString fileTitle() const;
    void setFileTitle(const QString &value) { m_fileTitle = value; }
    QString path() const;
    void setPath(const QString &value) { m_path = value; }
    QString filter() const { return m_filter; }
    void setFilter(const QString &value) { m_filter = value; }
    QString fileName() const;
    void setFileName(const QString &value) { m_fileName = value; }
    QString title() const;
    void setTitle(const QString &value) { m_title = value; }
    // The dialog's selected filter (the save dialog's type), counted from 1 as the dialog lists them.
    // Input: the type selected when it opens (0 or out of range: the first);
    // output after a confirmed save: the type the user confirmed with.
    int filterIndex() const { return m_filterIndex; }
    void setFilterIndex(int value) { m_filterIndex = value; }
    QString defExt() const { return m_defExt; }
    void setDefExt(const QString &value) { m_defExt = value; }

    // True when the user confirmed an existing file: FileName is then its full
    // path, FileTitle its name, Path its folder and FilterIndex the filter
    // confirmed with. False changes nothing. It starts in Path when that is a
    // folder, else where the last chosen file was, with FilterIndex selected.
    bool showOpen();
    // True when the user confirmed a name; outputs as for ShowOpen. Path is
    // first settled to the folder the dialog starts in, and keeps that on false.
    bool showSave();

private:
    bool ready() const;
    void takeChosenPath(const QString &path);
    FileChooserResult runChooser(const FileChoice &choice);

    QString m_fileTitle;
    QString m_path;
    QString m_filter;
    QString m_fileName;
    QString m_title;
    QString m_defExt;
    int m_filterIndex = 0;

    FileChooserSeam *m_chooser = nullptr;
    FilterReportingChooserSeam *m_filterChooser = nullptr;
    QString m_programFolder;
    // Where the next open dialog starts. The desktop the dialogs come from moves
    // the process's current folder to every chosen file's folder; this keeps
    // that behaviour without changing the real current folder under the program.
    QString m_lastChosenFolder;
};
