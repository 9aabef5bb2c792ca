#include "ui/SettingsDialog.h"

#include "Skin.h"
#include "settings/SetupFile.h"
#include "ui/KeyColourShape.h"
#include "ui/LayoutBuilder.h"
#include "ui/SettingsLayout.h"
#include "ui/SkinAccessible.h"
#include "ui/SkinWidgets.h"

#include <QComboBox>
#include <QLabel>
#include <QDir>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <QCoreApplication>

namespace {

// Read when a dialog is made, so that it follows the installed translation.
QString dialogTitle() { return QCoreApplication::translate("SettingsDialog", "系统设置"); }

// Selecting a position that is not one of the list's items leaves the list
// without a selection, as a damaged settings file should show.
void selectPosition(QComboBox *list, int position)
{
    if (!list)
        return;
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

std::int16_t selectedPosition(const QComboBox *list)
{
    return static_cast<std::int16_t>(list ? list->currentIndex() : -1);
}

}  // namespace

SettingsDialog::SettingsDialog(EditorModel &model, const QString &settingsFile,
                               MessageSeam &messages, const Skin &skin, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_model(model),
      m_settingsFile(settingsFile),
      m_messages(messages),
      m_background(skin.picture(QString::fromLatin1(SettingsBackground)))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(dialogTitle());
    setWindowIcon(Skin::programIcon());
    setFixedSize(SettingsClientWidth, SettingsClientHeight);
    QFont windowFont(QStringLiteral("Tahoma"));
    windowFont.setPixelSize(layout::pixelSizeOfPoints(9));
    setFont(windowFont);

    const layout::Table table = settingsLayout();
    const QHash<QString, QWidget *> elements = LayoutBuilder(skin, windowFont).build(this, table);
    m_openFolderList = qobject_cast<QComboBox *>(elements.value(QStringLiteral("cmbOF")));
    m_promptSoundList = qobject_cast<QComboBox *>(elements.value(QStringLiteral("cmbRS")));
    // The table lists the elements in the design's tab order.
    QWidget *previous = nullptr;
    for (const layout::Element &e : table) {
        QWidget *w = elements.value(e.key());
        if (!w || w->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }

    if (auto *ok = qobject_cast<SkinLabel *>(elements.value(QStringLiteral("cmdOK"))))
        connect(ok, &SkinLabel::clicked, this, &SettingsDialog::confirm);
    if (auto *back = qobject_cast<SkinLabel *>(elements.value(QStringLiteral("cmbBack"))))
        connect(back, &SkinLabel::clicked, this, &QWidget::close);
    if (auto *cross = qobject_cast<SkinImage *>(elements.value(QStringLiteral("Image1"))))
        connect(cross, &SkinImage::clicked, this, &QWidget::close);

    describeForScreenReaders(elements);

    shapeByKeyColour(skin);
    selectStoredChoices();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void SettingsDialog::shapeByKeyColour(const Skin &skin)
{
    const QImage picture = skin.image(QString::fromLatin1(SettingsBackground));
    if (picture.isNull())
        return;
    setMask(regionWithoutKeyColour(picture, picture.deviceIndependentSize().toSize(), SkinKeyColour));
    // where a mask only shapes input (Wayland), the margin is drawn see-through
    m_background = QPixmap::fromImage(withKeyColourTransparent(picture, SkinKeyColour));
}

void SettingsDialog::describeForScreenReaders(const QHash<QString, QWidget *> &elements)
{
    // For screen readers: the lists carry the captions painted beside them,
    // the two link buttons and the close cross are push buttons.
    // A list's caption is painted into the background; a see-through label
    // over it carries the same words as the list's label (a screen reader
    // on Linux names a list by its label and reads its value).
    const std::pair<QComboBox *, QString> captions[] = {
        {m_openFolderList, QCoreApplication::translate("SettingsBackground", "保存完毕后打开铃声所在文件夹:")},
        {m_promptSoundList, QCoreApplication::translate("SettingsBackground", "保存完毕后播放声音提示:")}};
    for (const auto &[list, caption] : captions) {
        if (!list)
            continue;
        auto *standIn = new QLabel(caption, this);
        QPalette seeThrough = standIn->palette();
        seeThrough.setColor(QPalette::WindowText, Qt::transparent);
        standIn->setPalette(seeThrough);
        standIn->setAttribute(Qt::WA_TransparentForMouseEvents);
        standIn->setGeometry(list->x(), list->y() - list->height(), list->width(), list->height());
        standIn->setBuddy(list);
        list->setAccessibleDescription(caption);
    }
    for (const char *key : {"cmdOK", "cmbBack"}) {
        if (auto *link = qobject_cast<SkinLabel *>(elements.value(QLatin1String(key))))
            skin_access::describe(link, {.role = QAccessible::Button,
                                         .name = [link] { return link->text().replace(QStringLiteral("  "), QString()); },
                                         .press = [link] { link->activate(); }});
    }
    if (auto *cross = qobject_cast<SkinImage *>(elements.value(QStringLiteral("Image1"))))
        skin_access::describe(cross, {.role = QAccessible::Button,
                                      .name = [] { return QCoreApplication::translate("Accessible", "关闭"); },
                                      .press = [cross] { cross->activate(); }});
}

void SettingsDialog::selectStoredChoices()
{
    // The lists offer yes first, then no.
    selectPosition(m_openFolderList, m_model.afterSave().openFolder ? 0 : 1);
    selectPosition(m_promptSoundList, m_model.afterSave().playSound ? 0 : 1);
}

void SettingsDialog::confirm()
{
    // The failure message runs its own event loop; a second click must not
    // store and report twice.
    if (m_confirming)
        return;
    m_confirming = true;

    // The new choices hold for the next save whether or not the file is written.
    const AfterSaveChoices choices{selectedPosition(m_openFolderList), selectedPosition(m_promptSoundList)};
    m_model.setAfterSave(AfterSave{choices.openFolder == 0, choices.promptSound == 0});
    if (!writeSetupFile(m_settingsFile, choices)) {
        m_messages.show(QCoreApplication::translate("SettingsDialog", "设置无法保存到文件：\n%1\n\n新的设置只在本次运行中有效，"
                                       "下次启动时仍使用原来的设置。")
                            .arg(QDir::toNativeSeparators(m_settingsFile)),
                        dialogTitle(), MessageButtons::Ok, MessageIcon::Warning);
    }
    close();
}

void SettingsDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

void SettingsDialog::mousePressEvent(QMouseEvent *event)
{
    // The bare background is the dialog's title bar; a press on a control that
    // passed the event on must not start a move.
    if (childAt(event->position().toPoint())) {
        m_faceDrag.release();
        QWidget::mousePressEvent(event);
        return;
    }
    m_faceDrag.press(*this, *event);
}

void SettingsDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_faceDrag.move(*this, *event))
        QWidget::mouseMoveEvent(event);
}

void SettingsDialog::mouseReleaseEvent(QMouseEvent *event)
{
    m_faceDrag.release();
    QWidget::mouseReleaseEvent(event);
}

SettingsDialogHost::SettingsDialogHost(EditorModel &model, QString settingsFile,
                                       MessageSeam &messages, const Skin &skin)
    : m_model(model), m_settingsFile(std::move(settingsFile)), m_messages(messages), m_skin(skin)
{
}

SettingsDialogHost::~SettingsDialogHost()
{
    delete m_dialog.data();
}

SettingsDialog *SettingsDialogHost::dialog() const
{
    // A closed dialog is only waiting for its deferred deletion.
    return m_dialog && m_dialog->isVisible() ? m_dialog.data() : nullptr;
}

void SettingsDialogHost::show()
{
    if (!dialog())
        m_dialog = new SettingsDialog(m_model, m_settingsFile, m_messages, m_skin);
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}
