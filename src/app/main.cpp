#include "Skin.h"
#include "app/CommandLine.h"
#include "app/HeadlessCut.h"
#include "app/Language.h"
#include "app/MainController.h"
#include "app/ShownReport.h"
#include "files/Paths.h"
#include "app/TerminationSignals.h"
#include "files/FileNames.h"
#include "playback/StringCommandDevice.h"
#include "ui/DesktopSeams.h"
#include "ui/MainWindow.h"
#include "ui/QtFileChooser.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <memory>

namespace {

// Arguments keep their bytes: a file name that is not UTF-8 still names its file.
QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << file_names::decode(QByteArray(argv[i]));
    return arguments;
}

// Everything but the window: the help, the version, a usage error, and the cut
// without a window, which needs no display, only an event loop for the
// transcoder's jobs and the termination signals. The request is read again
// once the language is installed, so that its messages are in that language.
int runWithoutWindow(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const LanguageInstall language(languageOfThisProcess());
    const CommandLineRequest request = parseCommandLine(argumentsOf(argc, argv));
    switch (request.kind) {
    case CommandLineRequest::Kind::Help:
        QTextStream(stdout) << helpText();
        return ExitDone;
    case CommandLineRequest::Kind::Version:
        QTextStream(stdout) << versionText();
        return ExitDone;
    case CommandLineRequest::Kind::Invalid:
        QTextStream(stderr) << request.error << Qt::endl;
        return ExitUsage;
    case CommandLineRequest::Kind::Cut:
    case CommandLineRequest::Kind::Window:
        break;
    }
    QTextStream err(stderr);
    HeadlessCut cut(Paths::forThisProgram(), err);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &cut, &HeadlessCut::stop);
    // Queued, so that a cut refused before the loop turns still ends it.
    QObject::connect(&cut, &HeadlessCut::finished, &app, [](int exitCode) { QCoreApplication::exit(exitCode); },
                     Qt::QueuedConnection);
    cut.start(request);
    return QCoreApplication::exec();
}

}  // namespace

int main(int argc, char *argv[])
{
    const CommandLineRequest request = parseCommandLine(argumentsOf(argc, argv));
    if (request.kind != CommandLineRequest::Kind::Window)
        return runWithoutWindow(argc, argv);

    QApplication app(argc, argv);
    const LanguageInstall language(languageOfThisProcess());
    QApplication::setApplicationName(QStringLiteral("Brindlewave"));
    QApplication::setDesktopFileName(QStringLiteral("brindlewave"));
    QApplication::setQuitOnLastWindowClosed(false);  // only the shutdown question ends the program

    const Skin skin(app.devicePixelRatio());
    MessageBoxes messages;
    DesktopShell shell;
    QtFileChooser chooser;
    StringCommandDevice device;
    TerminationSignals termination;

    const Paths paths = Paths::forThisProgram();
    MainWindow window([&paths](const MainControls::Seams &seams) { return std::make_unique<MainController>(paths, seams); },
                      {messages, shell, chooser, device}, skin);
    QObject::connect(&termination, &TerminationSignals::received, &window, &MainWindow::endFromOutside);
    messages.setParent(&window);
    chooser.setMainWindow(&window);
    window.show();
    std::unique_ptr<ShownReport> shownReport;
    if (ShownReport::isAsked())
        shownReport = std::make_unique<ShownReport>(window.windowHandle());

    // A file named on the command line is opened as if chosen in the open dialog.
    if (!request.file.isEmpty()) {
        const QString path = QFileInfo(request.file).absoluteFilePath();
        QTimer::singleShot(0, &window, [&window, path] { window.openFromOutside(path); });
    }
    return app.exec();
}
