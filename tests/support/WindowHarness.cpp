#include "support/WindowHarness.h"

#include "playback/StringCommandDevice.h"
#include "ui/SkinWidgets.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QtTest>

WindowHarness::WindowHarness(PlaybackDevice *device, const std::function<void(Paths &)> &prepare)
{
    paths.programFolder = m_root.filePath(QStringLiteral("program"));
    paths.workFolder = m_root.filePath(QStringLiteral("cache/brindlewave"));
    paths.configFolder = m_root.filePath(QStringLiteral("config/brindlewave"));
    QDir().mkpath(paths.programFolder + QStringLiteral("/data"));
    QFile::link(QStringLiteral(BRINDLEWAVE_BUILD_DIR "/data/coder"), paths.coder());
    if (prepare)
        prepare(paths);

    if (device) {
        m_device = device;
    } else {
        m_ownDevice = std::make_unique<StringCommandDevice>();
        m_device = m_ownDevice.get();
    }
    m_skin = std::make_unique<Skin>(1.0);
    const Paths laidOut = paths;
    m_window = std::make_unique<MainWindow>(
        [&laidOut](const MainControls::Seams &seams) { return std::make_unique<MainController>(laidOut, seams); },
        MainWindowServices{messages, shell, chooser, *m_device}, *m_skin);
    paths = controller().paths();
    m_window->setEndProcess([this] { ++ended; });
    m_window->show();
    QVERIFY2(QTest::qWaitForWindowExposed(m_window.get()), "main window not exposed");
}

WindowHarness::~WindowHarness()
{
    m_device->send(QStringLiteral("close sound"));
    m_window.reset();
}

void WindowHarness::setSource(const QString &path, const QString &title)
{
    const Marks marks = model().marks();
    OpenMedia media = model().media().value_or(OpenMedia{});
    media.sourcePath = path;
    media.title = title;
    model().setMedia(media);
    model().setMarks(marks);
}

QString WindowHarness::caption(const QString &key) const
{
    const SkinLabel *shownLabel = m_window->label(key);
    return shownLabel ? shownLabel->text() : QString();
}

bool WindowHarness::shown(const QString &key) const
{
    const QWidget *w = m_window->element(key);
    return w && w->isVisibleTo(m_window.get());
}

SkinImage *WindowHarness::image(const QString &key) const
{
    return m_window->image(key);
}

void WindowHarness::click(const QString &key)
{
    QWidget *w = m_window->element(key);
    QVERIFY2(w, qPrintable(key));
    QTest::mouseMove(w, w->rect().center());
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
    waitForJobs();
}

void WindowHarness::waitForJobs()
{
    // A job's end is handled in the slot that its runner's finished calls, so
    // a runner at rest means that its end has been dealt with.
    MainController &c = controller();
    QVERIFY2(waitFor([&c] {
                 return !c.decodeRunner().isRunning() && !c.openFlow().isReadingPeaks() && !c.saveFlow().isCutting();
             }, 300000),
             "a job is still running");
}

void WindowHarness::drag(const QString &key, QPoint at, int dx)
{
    QWidget *w = m_window->element(key);
    QVERIFY2(w, qPrintable(key));
    QTest::mousePress(w, Qt::LeftButton, {}, at);
    // the pressed element keeps receiving the pointer while it moves
    QMouseEvent move(QEvent::MouseMove, QPointF(at.x() + dx, at.y()), w->mapToGlobal(QPointF(at.x() + dx, at.y())),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(at.x() + dx, at.y()));
}

bool WindowHarness::waitFor(const std::function<bool()> &condition, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}
