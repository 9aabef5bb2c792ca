#include "Skin.h"

#include "ButtonPictures.h"
#include "MainBackground.h"
#include "ProgramIcon.h"
#include "SettingsBackground.h"
#include "SkinGeometry.h"
#include "TimelinePictures.h"

namespace {

constexpr int IconSizes[4] = {16, 24, 32, 48};

QString indexed(const char *store, int i)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(store)).arg(i);
}

}  // namespace

Skin::Skin(qreal devicePixelRatio)
    : m_dpr(devicePixelRatio > 0 ? devicePixelRatio : 1.0)
{
    const QImage bare = mainbg::bare(m_dpr);
    m_images.insert(QStringLiteral("frmMain"), mainbg::finished(bare));
    m_images.insert(buttonpics::paint(bare));
    m_images.insert(QStringLiteral("frmSetting"), settingsbg::paint(m_dpr));

    m_images.insert(QStringLiteral("picOpened"), timelinepics::panel(m_dpr));
    m_images.insert(QStringLiteral("picPBBack"), timelinepics::loadingBar(m_dpr));
    m_images.insert(QStringLiteral("imgPB"), timelinepics::loadingFill(m_dpr));
    m_images.insert(QStringLiteral("imgPro"), timelinepics::cutFill(m_dpr));
    m_images.insert(QStringLiteral("imgTopPoint"), timelinepics::grip(m_dpr, true, true));
    m_images.insert(QStringLiteral("imgBottomPoint"), timelinepics::grip(m_dpr, false, true));
    m_images.insert(QStringLiteral("imgLine"), timelinepics::line(m_dpr, true));
    m_images.insert(QStringLiteral("imgSelectTop"), timelinepics::grip(m_dpr, true, false));
    m_images.insert(QStringLiteral("imgSelectBottom"), timelinepics::grip(m_dpr, false, false));
    m_images.insert(QStringLiteral("imgSelectLine"), timelinepics::line(m_dpr, false));

    for (int size : IconSizes)
        m_images.insert(QStringLiteral("icon%1").arg(size), programicon::paint(size, m_dpr));
}

QImage Skin::image(const QString &name) const
{
    return m_images.value(name);
}

QPixmap Skin::picture(const QString &name) const
{
    auto cached = m_pixmaps.constFind(name);
    if (cached != m_pixmaps.constEnd())
        return *cached;
    const auto found = m_images.constFind(name);
    if (found == m_images.constEnd())
        return QPixmap();
    QPixmap pixmap = QPixmap::fromImage(*found);
    pixmap.setDevicePixelRatio(found->devicePixelRatio());
    m_pixmaps.insert(name, pixmap);
    return pixmap;
}

QList<SkinPictureSpec> Skin::catalogue()
{
    using namespace skingeo;
    QList<SkinPictureSpec> list{
        {QStringLiteral("frmMain"), MainSize},
        {QStringLiteral("frmSetting"), SettingSize},
        {QStringLiteral("picOpened"), TimelineSize},
        {QStringLiteral("picPBBack"), LoadingSize},
        {QStringLiteral("imgPB"), QSize(1, 14)},
        {QStringLiteral("imgPro"), QSize(1, 15)},
        {QStringLiteral("imgTopPoint"), GripSize},
        {QStringLiteral("imgBottomPoint"), GripSize},
        {QStringLiteral("imgLine"), QSize(1, LineHeight)},
        {QStringLiteral("imgSelectTop"), GripSize},
        {QStringLiteral("imgSelectBottom"), GripSize},
        {QStringLiteral("imgSelectLine"), QSize(1, LineHeight)},
    };
    for (int i = 0; i < 8; ++i)
        list.append({indexed("imgButtonData", i), QSize(37, 32)});
    for (int i = 0; i < 4; ++i)
        list.append({indexed("imgMenuData", i), QSize(48, 18)});
    for (int i = 0; i < 7; ++i)
        list.append({indexed("imgCtrlButtonLight", i), ctrlSize(i)});
    for (int i = 0; i < 7; ++i)
        list.append({indexed("imgCtrlButtonPress", i), ctrlSize(i)});
    list.append({QStringLiteral("imgMinLight"), QSize(22, 22)});
    list.append({QStringLiteral("imgExitLight"), QSize(22, 22)});
    list.append({QStringLiteral("imgGettingStartedLight"), QSize(31, 36)});
    for (int size : IconSizes)
        list.append({QStringLiteral("icon%1").arg(size), QSize(size, size)});
    return list;
}

QImage Skin::programIconImage(int size)
{
    return programicon::paint(size, 1.0);
}

QIcon Skin::programIcon()
{
    QIcon icon;
    for (int size : IconSizes)
        icon.addPixmap(QPixmap::fromImage(programicon::paint(size, 1.0)));
    return icon;
}
