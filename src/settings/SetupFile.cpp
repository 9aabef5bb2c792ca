#include "settings/SetupFile.h"

#include "files/Paths.h"
#include "playback/Timeline.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <limits>
#include <optional>

namespace {

// Splits the file into fields the way the file has always been read: a field
// ends at a comma or a line end, leading blanks are skipped, and a field in
// double quotes is the text between the quotes.
class FieldReader {
public:
    explicit FieldReader(QStringView text) : m_text(text) {}

    // The next field, or nothing when the end of the file has been reached.
    std::optional<QString> next()
    {
        skipBlanks();
        if (atEnd())
            return std::nullopt;
        QString field;
        if (m_text[m_pos] == u'"') {
            ++m_pos;
            const qsizetype start = m_pos;
            while (!atEnd() && m_text[m_pos] != u'"')
                ++m_pos;
            field = m_text.mid(start, m_pos - start).toString();
            if (!atEnd())
                ++m_pos;
            // Anything between the closing quote and the delimiter is dropped.
            while (!atEnd() && !isDelimiter(m_text[m_pos]))
                ++m_pos;
        } else {
            const qsizetype start = m_pos;
            while (!atEnd() && !isDelimiter(m_text[m_pos]))
                ++m_pos;
            field = m_text.mid(start, m_pos - start).toString();
        }
        consumeDelimiter();
        return field;
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    static bool isDelimiter(QChar c) { return c == u',' || c == u'\r' || c == u'\n'; }

    void skipBlanks()
    {
        while (!atEnd() && (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t'))
            ++m_pos;
    }

    void consumeDelimiter()
    {
        if (atEnd())
            return;
        const QChar c = m_text[m_pos++];
        if (c == u'\r' && !atEnd() && m_text[m_pos] == u'\n')
            ++m_pos;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

// A value line holds a few characters. Of each of the first two lines the
// reader takes at most this many bytes, so a huge, damaged or endless file
// costs no time or memory.
constexpr qint64 LineLimit = 1024;

// The text the two values can come from: the first line and, when that one is
// complete, the second, each up to its line feed. A first line longer than the
// limit is cut there and ends the text.
QByteArray firstTwoLines(QFile &file)
{
    QByteArray text = file.readLine(LineLimit);
    if (text.endsWith('\n'))
        text += file.readLine(LineLimit);
    return text;
}

// A value outside the 16-bit range is not taken at all.
std::optional<std::int16_t> choiceOf(const QString &field)
{
    const std::int32_t rounded = timeline::roundHalfEven(timeline::leadingNumber(field));
    if (rounded < std::numeric_limits<std::int16_t>::min()
        || rounded > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

bool isPerUserConfigFolder(const QString &folder)
{
    const QString config = Paths::forThisProgram().configFolder;
    return !config.isEmpty()
        && QDir::cleanPath(QFileInfo(folder).absoluteFilePath())
               == QDir::cleanPath(QFileInfo(config).absoluteFilePath());
}

}  // namespace

AfterSaveChoices readSetupFile(const QString &path)
{
    AfterSaveChoices choices;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return choices;
    // Only ASCII digits matter; Latin-1 maps every byte to one character.
    const QString text = QString::fromLatin1(firstTwoLines(file));
    FieldReader reader(text);

    // A field that cannot be read leaves the holding text as the previous read
    // left it, so a file with one value gives that value to both settings.
    QString holding;
    if (auto field = reader.next())
        holding = *field;
    if (auto value = choiceOf(holding))
        choices.openFolder = *value;
    if (auto field = reader.next())
        holding = *field;
    if (auto value = choiceOf(holding))
        choices.promptSound = *value;
    return choices;
}

QByteArray setupFileBytes(AfterSaveChoices choices)
{
    return QByteArray::number(choices.openFolder) + "\r\n"
         + QByteArray::number(choices.promptSound) + "\r\n";
}

bool writeSetupFile(const QString &path, AfterSaveChoices choices)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && isPerUserConfigFolder(folder))
        QDir().mkpath(folder);

    QSaveFile file(path);
    // Unbuffered, so that a write cut short (disk full, size limit) shows in
    // write()'s count: through the buffer Qt would commit the truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray bytes = setupFileBytes(choices);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
