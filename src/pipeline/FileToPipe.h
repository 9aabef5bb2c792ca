#pragma once

#include "files/UniqueFd.h"

// Copies the whole file `file` refers to (from its first byte, whatever its
// offset) into the pipe `pipeWrite` on a worker thread, then closes both: the
// reader sees the file's bytes and then its end. A reader that goes away ends
// the copy quietly; the program gets no SIGPIPE. Returns at once.
void copyFileToPipe(UniqueFd file, UniqueFd pipeWrite);
