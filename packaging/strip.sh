#!/bin/sh
# The strip that the package's install step runs on each program: like
# Debian's own packaging tools, it also drops the compiler's .comment and
# .note sections, which nothing reads at run time.
exec strip --remove-section=.comment --remove-section=.note "$@"
