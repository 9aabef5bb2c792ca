#pragma once

#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>

// Pixels of exactly this colour in a window picture are transparent.
inline constexpr QRgb SkinKeyColour = qRgb(255, 0, 255);

struct SkinPictureSpec {
    QString name;
    QSize size;  // logical pixels
};

// Every picture of the windows at the display's density, handed out by name.
// A picture's logical size is the size the layouts expect, whatever the
// density.
//
// The build paints every picture at 100 % and 200 % ahead of time (render_skin
// writes them as bundles, which the program carries as the resources
// :/skin/pictures@1x and :/skin/pictures@2x). A skin at one of those densities
// unpacks a picture from its bundle when it is first asked for, and nothing
// else. The bundles carry the source (Chinese) texts: with the pictures'
// texts translated, at any other density, without the bundle (the render tool
// itself), or when asked to, the skin paints every picture in code the first
// time one is needed. Both ways give the same pixels.
class Skin {
public:
    enum class Source {
        Prepared,  // the build's bundle when there is one for this density
        Painted,   // always painted in code
    };

    explicit Skin(qreal devicePixelRatio = 1.0, Source source = Source::Prepared);

    // A null pixmap for an unknown name. Pixmaps are made on first request (a
    // pixmap needs the application object) and shared from then on.
    QPixmap picture(const QString &name) const;
    // A null image for an unknown name. A picture from the bundle is unpacked
    // afresh at each call (the skin keeps only its pixmap), so a caller that
    // needs it often holds on to it. A picture of the raw 100 % bundle is the
    // program's own read-only bytes, copied only when changed.
    QImage image(const QString &name) const;

    qreal devicePixelRatio() const { return m_dpr; }
    // True when the pictures come from the build's bundle, not from painting.
    bool isPrepared() const { return !m_bundle.isEmpty(); }

    static QList<SkinPictureSpec> catalogue();
    static QIcon programIcon();  // 16, 24, 32 and 48 px
    static QImage programIconImage(int size);

    // Every picture of the catalogue, painted in code at the density.
    static QHash<QString, QImage> paintAll(qreal devicePixelRatio);
    // The bundle format: each picture's exact pixels, compressed or as they
    // are; and back. An uncompressed picture is handed out over the bundle's
    // own bytes (read-only, copied on change), so the bundle must outlive it.
    enum class Packing { Compressed, Raw };
    static QByteArray bundle(const QHash<QString, QImage> &pictures, Packing packing);
    static QImage unbundle(const QByteArray &bundle, const QString &name);
    // How the build packs the bundle of a density: raw at 100 %, so that a
    // start paints straight from the program's pages; compressed at 200 %,
    // where raw pictures would take four times the room.
    static Packing bundlePacking(qreal devicePixelRatio);
    // The resource the program's build gives for this density, or an empty
    // name when there is none.
    static QString bundleResource(qreal devicePixelRatio);

private:
    void paintIfNeeded() const;

    qreal m_dpr;
    QByteArray m_bundle;  // the resource's bytes, not copied; empty when painting
    mutable QHash<QString, QImage> m_painted;
    mutable bool m_paintedAll = false;
    mutable QHash<QString, QPixmap> m_pixmaps;
};
