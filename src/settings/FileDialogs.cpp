#include "settings/FileDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtGlobal>

namespace {

QString upToFirstNul(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

// Qt reads the patterns of a name filter from its last parentheses, blank
// separated; without parentheses the whole text is the pattern list.
QStringList patternsOf(const QString &qtNameFilter)
{
    static const QRegularExpression withParentheses(QStringLiteral("^(.*)\\(([^()]*)\\)$"));
    const QRegularExpressionMatch match = withParentheses.match(qtNameFilter);
    const QString patterns = match.hasMatch() ? match.captured(2) : qtNameFilter;
    return patterns.split(u' ', Qt::SkipEmptyParts);
}

}  // namespace

QStringList qtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList pieces = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        const QString &description = pieces[i];
        const QString &pattern = pieces[i + 1];
        // An empty piece ends the list, as a double NUL does for the native dialogs.
        if (description.isEmpty() || pattern.isEmpty())
            break;
        QStringList patterns = pattern.split(u';', Qt::SkipEmptyParts);
        for (QString &p : patterns)
            p = p.trimmed();
        const QString qtPattern = patterns.join(u' ');
        const QString written = u'(' + pattern + u')';
        if (description.endsWith(written))
            result.append(description.chopped(written.size()) + u'(' + qtPattern + u')');
        else
            result.append(description + QStringLiteral(" (") + qtPattern + u')');
    }
    return result;
}

QString firstExtensionOf(const QString &qtNameFilter)
{
    const QStringList patterns = patternsOf(qtNameFilter);
    if (patterns.isEmpty() || !patterns.first().startsWith(QStringLiteral("*.")))
        return {};
    const QString extension = patterns.first().mid(2);
    static const QRegularExpression wildcard(QStringLiteral("[*?\\[\\]]"));
    if (extension.isEmpty() || extension.contains(wildcard))
        return {};
    return extension;
}

QString withDefaultExtension(const QString &path, const QString &extension)
{
    if (extension.isEmpty())
        return path;
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    if (name.isEmpty() || name.contains(u'.'))
        return path;
    return path + u'.' + extension;
}

void FileDialogs::init(FileChooserSeam &chooser, const QString &programFolder)
{
    m_chooser = &chooser;
    m_filterChooser = dynamic_cast<FilterReportingChooserSeam *>(&chooser);
    m_programFolder = programFolder;
}

QString FileDialogs::fileTitle() const { return upToFirstNul(m_fileTitle); }
QString FileDialogs::path() const { return upToFirstNul(m_path); }
QString FileDialogs::fileName() const { return upToFirstNul(m_fileName); }
QString FileDialogs::title() const { return upToFirstNul(m_title); }

bool FileDialogs::ready() const
{
    Q_ASSERT_X(m_chooser, "FileDialogs", "Init must be called before a dialog is shown");
    if (!m_chooser)
        qWarning("FileDialogs: a dialog was requested before Init; nothing is shown");
    return m_chooser != nullptr;
}

FileChooserResult FileDialogs::runChooser(const FileChoice &choice)
{
    FileChooserResult result;
    if (m_filterChooser) {
        result = m_filterChooser->chooseWithFilter(choice);
    } else {
        result.path = m_chooser->choose(choice);
    }
    if (result.selectedFilter < 0 || result.selectedFilter >= choice.filters.size())
        result.selectedFilter = choice.selectedFilter;
    return result;
}

void FileDialogs::takeChosenPath(const QString &path)
{
    const qsizetype lastSeparator = path.lastIndexOf(u'/');
    m_fileName = path;
    m_fileTitle = path.mid(lastSeparator + 1);
    m_path = lastSeparator < 0 ? QString() : path.left(lastSeparator);
    m_lastChosenFolder = QFileInfo(path).absolutePath();
}

bool FileDialogs::showOpen()
{
    if (!ready())
        return false;
    FileChoice choice;
    choice.title = title();
    choice.folder = QFileInfo(m_path).isDir()        ? m_path
                    : m_lastChosenFolder.isEmpty() ? QDir::currentPath()
                                                   : m_lastChosenFolder;
    choice.initialName = fileName();
    choice.filters = qtNameFilters(m_filter);
    choice.selectedFilter = m_filterIndex >= 1 && m_filterIndex <= choice.filters.size() ? m_filterIndex - 1 : 0;
    choice.save = false;

    const FileChooserResult result = runChooser(choice);
    if (result.path.isEmpty())
        return false;
    m_filterIndex = result.selectedFilter + 1;
    takeChosenPath(result.path);
    return true;
}

bool FileDialogs::showSave()
{
    if (!ready())
        return false;
    // The starting folder is settled in Path itself: a caller that cancels sees
    // the folder with its trailing separator, or the program folder.
    if (path().trimmed().isEmpty()) {
        m_path = m_programFolder;
    } else {
        m_path = path();
        if (!m_path.endsWith(u'/'))
            m_path += u'/';
        if (!QFileInfo(m_path).isDir())
            m_path = m_programFolder;
    }
    const QString filter = m_filter.trimmed().isEmpty() ? QStringLiteral("*.*|*.*") : m_filter;

    FileChoice choice;
    choice.title = title();
    choice.folder = m_path;
    // The name box of the native dialog holds 255 characters.
    choice.initialName = fileName().left(255);
    choice.filters = qtNameFilters(filter);
    choice.selectedFilter = m_filterIndex >= 1 && m_filterIndex <= choice.filters.size() ? m_filterIndex - 1 : 0;
    choice.save = true;

    const FileChooserResult result = runChooser(choice);
    if (result.path.isEmpty())
        return false;
    m_filterIndex = result.selectedFilter + 1;
    const QString extension = firstExtensionOf(choice.filters.value(result.selectedFilter));
    takeChosenPath(withDefaultExtension(result.path, extension));
    return true;
}
