#include "Skin.h"
#include "app/CommandLine.h"
#include "app/HeadlessCut.h"
#include "app/Paths.h"
#include "app/TerminationSignals.h"
#include "playback/StringCommandDevice.h"
#include "ui/DesktopSeams.h"
#include "ui/MainWindow.h"
#include "ui/QtFileChooser.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

namespace {

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// The cut without a window: needs no display, only an event loop for the
// transcoder's jobs and the termination signals.
int runWithoutWindow(int argc, char *argv[], const CommandLineRequest &request)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    HeadlessCut cut(Paths::forThisProgram(), err);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &cut, &HeadlessCut::stop);
    return cut.run(request);
}

}  // namespace

int main(int argc, char *argv[])
{
    const CommandLineRequest request = parseCommandLine(argumentsOf(argc, argv));
    switch (request.kind) {
    case CommandLineRequest::Help:
        QTextStream(stdout) << helpText();
        return ExitDone;
    case CommandLineRequest::Version:
        QTextStream(stdout) << versionText();
        return ExitDone;
    case CommandLineRequest::Invalid:
        QTextStream(stderr) << request.error << Qt::endl;
        return ExitUsage;
    case CommandLineRequest::Cut:
        return runWithoutWindow(argc, argv, request);
    case CommandLineRequest::Window:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindlewave"));
    QApplication::setDesktopFileName(QStringLiteral("brindlewave"));
    QApplication::setQuitOnLastWindowClosed(false);  // only the shutdown question ends the program

    const Skin skin(app.devicePixelRatio());
    MessageBoxes messages;
    DesktopShell shell;
    QtFileChooser chooser;
    StringCommandDevice device;
    TerminationSignals termination;

    MainWindow window(Paths::forThisProgram(), {messages, shell, chooser, device}, skin);
    QObject::connect(&termination, &TerminationSignals::received, &window, &MainWindow::endFromOutside);
    messages.setParent(&window);
    chooser.setMainWindow(&window);
    window.show();

    // A file named on the command line is opened as if chosen in the open dialog.
    if (!request.file.isEmpty()) {
        const QString path = QFileInfo(request.file).absoluteFilePath();
        QTimer::singleShot(0, &window, [&window, path] { window.openFromOutside(path); });
    }
    return app.exec();
}
