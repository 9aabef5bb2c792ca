// The yardstick for bench_startup: the least a Qt Widgets program does to show
// a window, one Chinese label in it. It reports "shown" as the program does
// under BRINDLEWAVE_REPORT_SHOWN, and then idles until it is ended.
#include "app/ShownReport.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("铃声"));
    label.resize(200, 80);
    label.show();
    ShownReport report(label.windowHandle());
    return QApplication::exec();
}
