#pragma once

#include <QString>

// The per-user working folder and the folders inside it hold the working
// copies of the user's songs. Only a real folder that belongs to this user and
// that nobody else can write to is used; anything else at its name (a link, a
// file, another user's folder) is left exactly as it is.
namespace private_folder {

enum class Problem {
    None,
    CannotCreate,   // missing and could not be made
    NotAFolder,     // something other than a folder is at its name
    Link,           // a symbolic link is at its name
    NotOwned,       // a folder of another user
    OpenToOthers,   // group or others may write into it
};

// Makes the folder (mode 0700) when it is missing, with any missing parents,
// then checks what is at its name without following a link.
Problem ensure(const QString &path);

// Checks what is at the name without creating anything.
Problem check(const QString &path);

// What the user reads: the folder is named, and why it is not used.
QString problemText(Problem problem, const QString &path);

}  // namespace private_folder
