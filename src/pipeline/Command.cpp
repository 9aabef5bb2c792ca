#include "pipeline/Command.h"

QString Command::text() const
{
    QString joined = program;
    for (const QString &argument : arguments) {
        joined += u' ';
        if (argument.isEmpty() || argument.contains(u' '))
            joined += u'"' + argument + u'"';
        else
            joined += argument;
    }
    return joined;
}
