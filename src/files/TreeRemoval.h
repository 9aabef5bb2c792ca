#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Removing what the program made, without ever following a link: every step
// works on an opened folder handle and the names inside it, so a symbolic link
// met anywhere is removed as a link and whatever it points to stays as it is.
namespace tree_removal {

// Removes the entry `name` of the open folder parentFd. A real folder owned by
// this user goes with everything in it; a file or a link goes itself; a folder
// of another user is left alone. True when nothing is left under the name.
bool removeAt(int parentFd, const QByteArray &name);

// removeAt() for the entry `name` of the folder `parent` (which is opened
// without following a link at its last step).
bool remove(const QString &parent, const QString &name);

// Opens a folder for the calls above: a real folder, not a link, or -1.
int openFolder(const QString &path);

// The names in the open folder folderFd, without "." and "..".
QList<QByteArray> namesIn(int folderFd);

}  // namespace tree_removal
