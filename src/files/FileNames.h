#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// File names travel through the program as text but are bytes on disk, and a
// name need not be valid UTF-8 (a song copied from an old Latin-1 disk). These
// conversions keep every name whole: a byte that does not belong to a valid
// UTF-8 sequence becomes the lone surrogate U+DC80..U+DCFF on the way in and
// the same byte again on the way out, so decode() then encode() gives back the
// bytes that came in. Every path handed to the operating system (a system
// call, a child's argument) goes through encode().
namespace file_names {

QByteArray encode(const QString &name);
QString decode(const QByteArray &bytes);

// The local path a file: URL names, its bytes kept (a dropped file's URL
// carries a name that is not UTF-8 as percent-encoded bytes).
QString fromFileUrl(const QUrl &url);

// The name as the user reads it: a byte that is not UTF-8 shows as U+FFFD.
QString displayed(const QString &name);

}  // namespace file_names
