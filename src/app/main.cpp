#include "Skin.h"
#include "app/Paths.h"
#include "app/TerminationSignals.h"
#include "playback/StringCommandDevice.h"
#include "ui/DesktopSeams.h"
#include "ui/MainWindow.h"
#include "ui/QtFileChooser.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

int main(int argc, char *argv[])
{
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
    const QStringList arguments = app.arguments();
    if (arguments.size() > 1) {
        const QString path = QFileInfo(arguments.at(1)).absoluteFilePath();
        QTimer::singleShot(0, &window, [&window, path] { window.openFromOutside(path); });
    }
    return app.exec();
}
