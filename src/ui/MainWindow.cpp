#include "ui/MainWindow.h"

#include "settings/ShapingChoices.h"
#include "files/FileNames.h"
#include "pipeline/OpenFlow.h"
#include "playback/PlaybackController.h"
#include "ui/Chrome.h"
#include "ui/CommandChannel.h"
#include "ui/TimelineFace.h"
#include "files/Paths.h"

#include "Skin.h"
#include "ui/KeyColourShape.h"
#include "ui/LayoutBuilder.h"
#include "ui/MainLayout.h"
#include "ui/EditHistory.h"
#include "ui/MenuHolder.h"
#include "ui/SettingsDialog.h"
#include "ui/SkinWidgets.h"

#include <QApplication>
#include <utility>
#include <QCloseEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

MainWindow::MainWindow(const MainControls::Factory &makeControls, MainWindowServices services, const Skin &skin,
                       QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window),
      m_skin(skin),
      m_messages(services.messages),
      m_shell(services.shell),
      m_controls(makeControls({services.messages, services.shell, *this, services.chooser, services.device}))
{
    setWindowTitle(QStringLiteral("Brindlewave"));
    setWindowIcon(Skin::programIcon());
    setFixedSize(MainClientWidth, MainClientHeight);
    setAttribute(Qt::WA_NoSystemBackground);
    // Lets the margin be see-through where a mask only shapes input (Wayland).
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    setAcceptDrops(true);
    QFont windowFont(QStringLiteral("Tahoma"));
    windowFont.setPixelSize(layout::pixelSizeOfPoints(9));
    setFont(windowFont);

    m_elements = LayoutBuilder(skin, windowFont).build(this, mainLayout());
    for (const auto &[set, count] : {std::pair{"imgButton", 8}, {"imgCtrlButton", 8}, {"imgMenu", 5}})
        for (int i = 0; i < count; ++i)
            m_jobButtons.append(element(QStringLiteral("%1(%2)").arg(QLatin1String(set)).arg(i)));
    if (auto *pro = qobject_cast<SkinPanel *>(element("picPro")))
        pro->setFramed(true);
    m_menus = std::make_unique<MenuHolder>(
        this, [this](const QString &word) { m_controls->commands().write(word); },
        [this](const QString &word) {
            if (word == QLatin1String("Loop"))
                return m_controls->model().play().looping;
            return shaping_choice::isOn(m_controls->model().shaping(), word);
        },
        [this] { return m_controls->model().openHistory().recent; },
        [this](const QString &word) {
            if (word == QLatin1String("Undo"))
                return m_controls->history().canUndo();
            if (word == QLatin1String("Redo"))
                return m_controls->history().canRedo();
            return true;
        });
    m_settings = std::make_unique<SettingsDialogHost>(m_controls->model(), m_controls->paths().settingsFile(),
                                                      m_messages, m_skin);

    wireToolbarAndTransport();
    wireChrome();
    wireTimeline();
    wireKeyboard();
    wireTypedTimes();
    wireJobControls();
    wireAccessibility();
    // The lights and the hint change with every move of the pointer, the
    // time line's positions with every tick and drag: each redraws only its own.
    connect(&m_controls->chrome(), &Chrome::changed, this, &MainWindow::syncLights);
    for (SkinImage *element : findChildren<SkinImage *>())
        connect(element, &SkinImage::left, &m_controls->chrome(), &Chrome::pointerLeft);
    connect(&m_controls->timelineFace(), &TimelineFace::changed, this, [this] {
        syncTimeTable();
        syncTimeline();
    });
    const EditorModel *model = &m_controls->model();
    for (auto changed : {&EditorModel::mediaChanged, &EditorModel::peaksChanged, &EditorModel::marksChanged, &EditorModel::viewChanged,
                         &EditorModel::playChanged, &EditorModel::jobChanged, &EditorModel::shapingChanged,
                         &EditorModel::noticeChanged})
        connect(model, changed, this, &MainWindow::syncFromModel);
    // The loop button shows whether the selection loops.
    connect(model, &EditorModel::playChanged, this, [this, model, looping = false]() mutable {
        if (std::exchange(looping, model->play().looping) != model->play().looping)
            syncLights();
    });

    syncFromModel();
    syncLights();

    m_timer3.setSingleShot(true);
    m_timer3.setInterval(50);
    connect(&m_timer3, &QTimer::timeout, this, &MainWindow::shapeWindow);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

SkinImage *MainWindow::image(const QString &key) const
{
    return qobject_cast<SkinImage *>(element(key));
}

SkinLabel *MainWindow::label(const QString &key) const
{
    return qobject_cast<SkinLabel *>(element(key));
}

void MainWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_shapedFace.isNull())
        painter.drawPixmap(0, 0, m_skin.picture(QStringLiteral("frmMain")));
    else
        painter.drawPixmap(0, 0, m_shapedFace);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shaped && !m_timer3.isActive())
        m_timer3.start();
}

void MainWindow::shapeWindow()
{
    m_timer3.stop();
    if (m_shaped)
        return;
    // Every pixel of exactly the key colour becomes see-through, so the window
    // takes the rounded outline the skin paints.
    const QImage face = m_skin.image(QStringLiteral("frmMain"));
    m_shapedFace = QPixmap::fromImage(withKeyColourTransparent(face));
    const QRegion outline = regionWithoutKeyColour(face,
                                                   QSize(MainClientWidth + 1, MainClientHeight + 1))
                            & QRegion(rect());
    // The shape goes to the mapped window directly (X11's shape extension):
    // no unmapping, so the window does not blink.
    m_shaped = true;
    setMask(outline);
    update();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closing || m_controls->shutDown()) {
        m_closing = true;
        m_settings.reset();
        event->accept();
        m_endProcess();
        return;
    }
    event->ignore();
}

void MainWindow::endFromOutside()
{
    if (m_closing)
        return;
    m_controls->endWithoutQuestion();
    m_closing = true;
    close();
}

void MainWindow::requestClose()
{
    close();
}

void MainWindow::minimise()
{
    showMinimized();
}

void MainWindow::showSettingsDialog()
{
    m_settings->show();
}

void MainWindow::showMenu(int index, bool fromKeyboard)
{
    const QWidget *hot = element(QStringLiteral("imgMenu(%1)").arg(index));
    if (!hot)
        return;
    m_menus->exec(index, QPoint(hot->x(), hot->y() + hot->height()), fromKeyboard);
}

// The bare face moves the window, as a title bar would.
void MainWindow::mousePressEvent(QMouseEvent *event)
{
    m_faceDrag.press(*this, *event);
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_faceDrag.move(*this, *event))
        return;
    m_controls->chrome().faceMoved();
}

void MainWindow::mouseReleaseEvent(QMouseEvent *)
{
    m_faceDrag.release();
}

void MainWindow::openFromOutside(const QString &path)
{
    // In place of the open file, as the open button does; not while a save
    // runs, when the open button is disabled too.
    if (isCutRunning())
        return;
    m_controls->openFlow().openPath(path);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    const QString path = file_names::fromFileUrl(urls.first());
    // the open starts a job: the drop finishes first
    QTimer::singleShot(0, this, [this, path] { openFromOutside(path); });
}
