#include "Skin.h"

#include "ButtonPictures.h"
#include "MainBackground.h"
#include "ProgramIcon.h"
#include "SettingsBackground.h"
#include "SkinGeometry.h"
#include "TimelinePictures.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QResource>

#include <utility>


namespace {

constexpr int IconSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr quint32 BundleMagic = 0x42575332;  // "BWS2"

QString indexed(const char *store, int i)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(store)).arg(i);
}

// The bundles are painted from the source texts (Chinese). They stand for the
// pictures only while every text the pictures carry reads as its source; with
// the texts translated (English), the pictures are painted in code.
bool skinTextsReadAsSource()
{
    static const std::pair<const char *, const char *> texts[] = {
        {"ButtonFaces", QT_TRANSLATE_NOOP("ButtonFaces", "保存")},
        {"ButtonFaces", QT_TRANSLATE_NOOP("ButtonFaces", "文件(F)")},
        {"ButtonFaces", QT_TRANSLATE_NOOP("ButtonFaces", "工具(T)")},
        {"ButtonFaces", QT_TRANSLATE_NOOP("ButtonFaces", "设置(S)")},
        {"ButtonFaces", QT_TRANSLATE_NOOP("ButtonFaces", "关于(A)")},
        {"MainBackground", QT_TRANSLATE_NOOP("MainBackground", "开始位置")},
        {"MainBackground", QT_TRANSLATE_NOOP("MainBackground", "结束位置")},
        {"MainBackground", QT_TRANSLATE_NOOP("MainBackground", "长度")},
        {"MainBackground", QT_TRANSLATE_NOOP("MainBackground", "选择")},
        {"MainBackground", QT_TRANSLATE_NOOP("MainBackground", "浏览")},
        {"MainBackground", QT_TRANSLATE_NOOP("MainBackground", "意见反馈")},
        {"QuickStartPanel", QT_TRANSLATE_NOOP("QuickStartPanel", "快速开始")},
        {"QuickStartPanel", QT_TRANSLATE_NOOP("QuickStartPanel", "点击按钮")},
        {"QuickStartPanel", QT_TRANSLATE_NOOP("QuickStartPanel", "打开一个音乐/视频文件.")},
        {"QuickStartPanel", QT_TRANSLATE_NOOP("QuickStartPanel", "开始播放声音.")},
        {"QuickStartPanel", QT_TRANSLATE_NOOP("QuickStartPanel", "选择铃声开始位置.")},
        {"QuickStartPanel", QT_TRANSLATE_NOOP("QuickStartPanel", "选择铃声结束位置.")},
        {"QuickStartPanel", QT_TRANSLATE_NOOP("QuickStartPanel", "保存制作完毕的铃声.")},
        {"SettingsBackground", QT_TRANSLATE_NOOP("SettingsBackground", "设置")},
        {"SettingsBackground", QT_TRANSLATE_NOOP("SettingsBackground", "保存完毕后打开铃声所在文件夹:")},
        {"SettingsBackground", QT_TRANSLATE_NOOP("SettingsBackground", "保存完毕后播放声音提示:")},
        {"TimelinePictures", QT_TRANSLATE_NOOP("TimelinePictures", "Loading File:")},
    };
    for (const auto &[context, text] : texts) {
        if (QCoreApplication::translate(context, text) != QString::fromUtf8(text))
            return false;
    }
    return true;
}

}  // namespace

Skin::Skin(qreal devicePixelRatio, Source source)
    : m_dpr(devicePixelRatio > 0 ? devicePixelRatio : 1.0)
{
    const QString resource =
        source == Source::Prepared && skinTextsReadAsSource() ? bundleResource(m_dpr) : QString();
    if (resource.isEmpty())
        return;
    const QResource bundled(resource);
    if (!bundled.isValid())
        return;
    // An uncompressed resource is read in place, from the program's own pages.
    m_bundle = bundled.compressionAlgorithm() == QResource::NoCompression
                   ? QByteArray::fromRawData(reinterpret_cast<const char *>(bundled.data()),
                                             static_cast<qsizetype>(bundled.size()))
                   : bundled.uncompressedData();
}

QHash<QString, QImage> Skin::paintAll(qreal dpr)
{
    QHash<QString, QImage> images;
    const QImage bare = mainbg::bare(dpr);
    images.insert(QStringLiteral("frmMain"), mainbg::finished(bare));
    images.insert(buttonpics::paint(bare));
    images.insert(QStringLiteral("frmSetting"), settingsbg::paint(dpr));

    images.insert(QStringLiteral("picOpened"), timelinepics::panel(dpr));
    images.insert(QStringLiteral("picPBBack"), timelinepics::loadingBar(dpr));
    images.insert(QStringLiteral("imgPB"), timelinepics::loadingFill(dpr));
    images.insert(QStringLiteral("imgPro"), timelinepics::cutFill(dpr));
    images.insert(QStringLiteral("imgTopPoint"), timelinepics::grip(dpr, true, true));
    images.insert(QStringLiteral("imgBottomPoint"), timelinepics::grip(dpr, false, true));
    images.insert(QStringLiteral("imgLine"), timelinepics::line(dpr, true));
    images.insert(QStringLiteral("imgSelectTop"), timelinepics::grip(dpr, true, false));
    images.insert(QStringLiteral("imgSelectBottom"), timelinepics::grip(dpr, false, false));
    images.insert(QStringLiteral("imgSelectLine"), timelinepics::line(dpr, false));

    for (int size : IconSizes)
        images.insert(QStringLiteral("icon%1").arg(size), programicon::paint(size, dpr));
    return images;
}

void Skin::paintIfNeeded() const
{
    if (m_paintedAll)
        return;
    m_painted = paintAll(m_dpr);
    m_paintedAll = true;
}

QImage Skin::image(const QString &name) const
{
    if (isPrepared())
        return unbundle(m_bundle, name);
    paintIfNeeded();
    return m_painted.value(name);
}

QPixmap Skin::picture(const QString &name) const
{
    auto cached = m_pixmaps.constFind(name);
    if (cached != m_pixmaps.constEnd())
        return *cached;
    QImage found = image(name);
    if (found.isNull())
        return QPixmap();
    const qreal dpr = found.devicePixelRatio();
    QPixmap pixmap = QPixmap::fromImage(std::move(found));
    pixmap.setDevicePixelRatio(dpr);
    m_pixmaps.insert(name, pixmap);
    return pixmap;
}

QString Skin::bundleResource(qreal dpr)
{
    if (dpr == 1.0)
        return QStringLiteral(":/skin/pictures@1x");
    if (dpr == 2.0)
        return QStringLiteral(":/skin/pictures@2x");
    return QString();
}

// A bundle: a header, then for each picture its name, format, sizes, density
// and its bytes as qCompress gives them.
Skin::Packing Skin::bundlePacking(qreal dpr)
{
    return dpr == 1.0 ? Packing::Raw : Packing::Compressed;
}

QByteArray Skin::bundle(const QHash<QString, QImage> &pictures, Packing packing)
{
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_4);
    stream << BundleMagic << static_cast<qint32>(pictures.size());
    QStringList names = pictures.keys();
    names.sort();
    for (const QString &name : names) {
        const QImage &image = pictures.value(name);
        const auto bits = reinterpret_cast<const char *>(image.constBits());
        const auto size = static_cast<qsizetype>(image.sizeInBytes());
        const QByteArray pixels = packing == Packing::Compressed
                                      ? qCompress(image.constBits(), size, 9)
                                      : QByteArray::fromRawData(bits, size);
        stream << name << static_cast<qint32>(image.format()) << static_cast<qint32>(image.width())
               << static_cast<qint32>(image.height()) << static_cast<qint32>(image.bytesPerLine())
               << image.devicePixelRatio() << static_cast<qint8>(packing == Packing::Compressed);
        // Padding, so that the pixels start 16-byte aligned within the bundle.
        const auto pad = static_cast<quint8>((16 - (out.size() + 1 + 4) % 16) % 16);
        stream << pad;
        for (quint8 i = 0; i < pad; ++i)
            stream << quint8(0);
        stream.writeBytes(pixels.constData(), static_cast<uint>(pixels.size()));
    }
    return out;
}

QImage Skin::unbundle(const QByteArray &bundle, const QString &name)
{
    QDataStream stream(bundle);
    stream.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    qint32 count = 0;
    stream >> magic >> count;
    if (magic != BundleMagic)
        return QImage();
    for (qint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        QString entry;
        qint32 format = 0, width = 0, height = 0, bytesPerLine = 0;
        qreal dpr = 1.0;
        qint8 compressed = 0;
        quint8 pad = 0;
        quint32 length = 0;
        stream >> entry >> format >> width >> height >> bytesPerLine >> dpr >> compressed >> pad;
        stream.skipRawData(pad);
        stream >> length;
        const qint64 at = stream.device()->pos();
        if (stream.status() != QDataStream::Ok || at + length > bundle.size())
            return QImage();
        if (entry != name) {
            stream.skipRawData(static_cast<int>(length));
            continue;
        }
        if (width <= 0 || height <= 0 || bytesPerLine <= 0)
            return QImage();
        if (!compressed) {
            if (length != quint32(bytesPerLine) * quint32(height))
                return QImage();
            const auto *pixels = reinterpret_cast<const uchar *>(bundle.constData() + at);
            QImage image(pixels, width, height, bytesPerLine, static_cast<QImage::Format>(format));
            // Pixels that do not sit on a word boundary (a bundle not read in
            // place) are copied to memory of the image's own.
            if (reinterpret_cast<quintptr>(pixels) % 4 != 0)
                image = image.copy();
            image.setDevicePixelRatio(dpr);
            return image;
        }
        // The image takes over the unpacked bytes as they are.
        auto *pixels = new QByteArray(qUncompress(reinterpret_cast<const uchar *>(bundle.constData() + at),
                                                  static_cast<qsizetype>(length)));
        if (pixels->size() != qsizetype(bytesPerLine) * height) {
            delete pixels;
            return QImage();
        }
        QImage image(reinterpret_cast<uchar *>(pixels->data()), width, height, bytesPerLine,
                     static_cast<QImage::Format>(format), [](void *bytes) { delete static_cast<QByteArray *>(bytes); },
                     pixels);
        image.setDevicePixelRatio(dpr);
        return image;
    }
    return QImage();
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
    for (int i = 0; i < MenuCount; ++i)
        list.append({indexed("imgMenuData", i), QSize(48, 18)});
    for (int i = 0; i < CtrlCount; ++i)
        list.append({indexed("imgCtrlButtonLight", i), ctrlSize(i)});
    for (int i = 0; i < CtrlCount; ++i)
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
