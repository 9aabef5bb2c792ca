#include "files/FileNames.h"

namespace file_names {

namespace {

constexpr char16_t EscapeBase = 0xDC00;

bool isEscapedByte(char16_t unit) { return unit >= 0xDC80 && unit <= 0xDCFF; }

// The length of the valid UTF-8 sequence starting at bytes[at], or 0.
qsizetype validSequenceAt(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

}  // namespace

QString decode(const QByteArray &bytes)
{
    QString name;
    name.reserve(bytes.size());
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype length = validSequenceAt(bytes, at);
        if (length == 0) {
            name.append(QChar(char16_t(EscapeBase + static_cast<unsigned char>(bytes[at]))));
            ++at;
            continue;
        }
        name.append(QString::fromUtf8(bytes.constData() + at, length));
        at += length;
    }
    return name;
}

QByteArray encode(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype runStart = 0;
    const auto flushRun = [&](qsizetype end) {
        if (end > runStart)
            bytes.append(QStringView(name).mid(runStart, end - runStart).toUtf8());
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name.at(i).unicode();
        if (!isEscapedByte(unit))
            continue;
        // A low surrogate that completes a pair is part of a character.
        if (i > 0 && QChar::isHighSurrogate(name.at(i - 1).unicode()))
            continue;
        flushRun(i);
        bytes.append(static_cast<char>(unit - EscapeBase));
        runStart = i + 1;
    }
    flushRun(name.size());
    return bytes;
}

QString fromFileUrl(const QUrl &url)
{
    return decode(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QString displayed(const QString &name)
{
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t unit = shown.at(i).unicode();
        if (isEscapedByte(unit) && !(i > 0 && QChar::isHighSurrogate(shown.at(i - 1).unicode())))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

}  // namespace file_names
