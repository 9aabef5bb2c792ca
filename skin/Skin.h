#pragma once

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

// Every picture of the windows, painted once at the display's density and then
// handed out by name. A picture's logical size is the size the layouts expect,
// whatever the density.
class Skin {
public:
    explicit Skin(qreal devicePixelRatio = 1.0);

    // A null pixmap for an unknown name. Pixmaps are made on first request (a
    // pixmap needs the application object) and shared from then on.
    QPixmap picture(const QString &name) const;
    QImage image(const QString &name) const;

    qreal devicePixelRatio() const { return m_dpr; }

    static QList<SkinPictureSpec> catalogue();
    static QIcon programIcon();  // 16, 24, 32 and 48 px
    static QImage programIconImage(int size);

private:
    qreal m_dpr;
    QHash<QString, QImage> m_images;
    mutable QHash<QString, QPixmap> m_pixmaps;
};
