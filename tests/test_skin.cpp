// The skin's pictures: sizes at both densities, the key-colour margin of the
// two window pictures, and the program icon.
#include "ButtonFaces.h"
#include "Skin.h"

#include "support/Contrast.h"

#include <QtTest>

#include <algorithm>

namespace {


const Skin &skinAt(qreal dpr)
{
    static const Skin single(1.0);
    static const Skin twice(2.0);
    return dpr == 2.0 ? twice : single;
}

bool isKey(QRgb pixel)
{
    return qAlpha(pixel) == 255 && (pixel & 0x00ffffffu) == (SkinKeyColour & 0x00ffffffu);
}

// The length of the run of non-key pixels along a row (or column), or -1 when it is broken.
int faceRun(const QImage &image, int line, bool row)
{
    int first = -1, last = -1, count = 0;
    for (int i = 0; i < (row ? image.width() : image.height()); ++i) {
        if (!isKey(row ? image.pixel(i, line) : image.pixel(line, i))) {
            first = first < 0 ? i : first;
            last = i;
            ++count;
        }
    }
    return count == 0 || count == last - first + 1 ? count : -1;
}

// Every picture the windows use, with the size the layouts draw it at.
QList<QPair<QString, QSize>> expectedPictures()
{
    QList<QPair<QString, QSize>> list{
        {"frmMain", {765, 565}},      {"frmSetting", {420, 252}},   {"picOpened", {746, 363}},
        {"picPBBack", {462, 37}},     {"imgPB", {1, 14}},           {"imgPro", {1, 15}},
        {"imgTopPoint", {13, 8}},     {"imgBottomPoint", {13, 8}},  {"imgLine", {1, 284}},
        {"imgSelectTop", {13, 8}},    {"imgSelectBottom", {13, 8}}, {"imgSelectLine", {1, 284}},
        {"imgMinLight", {22, 22}},    {"imgExitLight", {22, 22}},   {"imgGettingStartedLight", {31, 36}},
        {"icon16", {16, 16}},         {"icon24", {24, 24}},         {"icon32", {32, 32}},
        {"icon48", {48, 48}},         {"icon64", {64, 64}},         {"icon128", {128, 128}},
        {"icon256", {256, 256}},
    };
    for (int i = 0; i < 8; ++i)
        list.append({QStringLiteral("imgButtonData(%1)").arg(i), {37, 32}});
    for (int i = 0; i < 5; ++i)
        list.append({QStringLiteral("imgMenuData(%1)").arg(i), {48, 18}});
    for (int i = 0; i < 8; ++i) {
        const QSize size = i == 6 ? QSize(90, 32) : QSize(34, 32);
        list.append({QStringLiteral("imgCtrlButtonLight(%1)").arg(i), size});
        list.append({QStringLiteral("imgCtrlButtonPress(%1)").arg(i), size});
    }
    return list;
}

}  // namespace

class TestSkin : public QObject {
    Q_OBJECT

private slots:
    void pictureSizes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("dpr");
        for (qreal dpr : {1.0, 2.0})
            for (const auto &[name, size] : expectedPictures())
                QTest::addRow("%s@%gx", qPrintable(name), dpr) << name << size << dpr;
    }

    void pictureSizes()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(qreal, dpr);
        const QImage image = skinAt(dpr).image(name);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), size * dpr);
        QCOMPARE(image.deviceIndependentSize(), QSizeF(size));
        const QPixmap pixmap = skinAt(dpr).picture(name);
        QCOMPARE(pixmap.devicePixelRatio(), dpr);
        QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(size));
        const QList<SkinPictureSpec> listed = Skin::catalogue();  // what the render tool writes out
        QVERIFY(std::any_of(listed.begin(), listed.end(),
                            [&](const SkinPictureSpec &e) { return e.name == name && e.size == size; }));
    }

    void unknownNameGivesNothing()
    {
        QVERIFY(skinAt(1.0).picture(QStringLiteral("imgButtonData(8)")).isNull());
        QVERIFY(skinAt(1.0).image(QStringLiteral("nothing")).isNull());
    }

    // Key-colour corners around one unbroken face, with a hard edge between them.
    void keyMargin_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qreal>("dpr");
        for (qreal dpr : {1.0, 2.0})
            for (const char *name : {"frmMain", "frmSetting"})
                QTest::addRow("%s@%gx", name, dpr) << QString::fromLatin1(name) << dpr;
    }

    void keyMargin()
    {
        QFETCH(QString, name);
        QFETCH(qreal, dpr);
        const QImage image = skinAt(dpr).image(name);
        const int w = image.width(), h = image.height();
        for (const QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
            QVERIFY(isKey(image.pixel(corner)));
        QVERIFY(faceRun(image, h / 2, true) > w * 9 / 10);

        int broken = 0, nearKey = 0;
        for (int y = 0; y < h; ++y)
            broken += faceRun(image, y, true) < 0;
        for (int x = 0; x < w; ++x)
            broken += faceRun(image, x, false) < 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const QRgb px = image.pixel(x, y);
                nearKey += !isKey(px) && qAbs(qRed(px) - 255) + qGreen(px) + qAbs(qBlue(px) - 255) < 160;
            }
        }
        QCOMPARE(broken, 0);
        QCOMPARE(nearKey, 0);
    }

    // The program carries the pictures the build painted; they must be the
    // very pixels the painting code gives now, at both densities.
    void preparedPicturesArePainted_data()
    {
        QTest::addColumn<qreal>("dpr");
        QTest::addRow("1x") << 1.0;
        QTest::addRow("2x") << 2.0;
    }

    void preparedPicturesArePainted()
    {
        QFETCH(qreal, dpr);
        const Skin prepared(dpr);
        QVERIFY(prepared.isPrepared());
        const QHash<QString, QImage> painted = Skin::paintAll(dpr);
        const QList<SkinPictureSpec> catalogue = Skin::catalogue();
        QCOMPARE(painted.size(), catalogue.size());
        for (const SkinPictureSpec &entry : catalogue) {
            const QImage fromBuild = prepared.image(entry.name);
            const QImage fromCode = painted.value(entry.name);
            QVERIFY2(!fromCode.isNull(), qPrintable(entry.name));
            QCOMPARE(fromBuild.format(), fromCode.format());
            QCOMPARE(fromBuild.devicePixelRatio(), dpr);
            QVERIFY2(fromBuild == fromCode, qPrintable(entry.name));
        }
    }

    // Densities the build has no pictures for are painted, as is a skin asked to paint.
    void otherDensitiesArePainted()
    {
        QVERIFY(!Skin(1.5).isPrepared());
        QVERIFY(!Skin(1.0, Skin::Source::Painted).isPrepared());
        const QImage face = Skin(1.5).image(QStringLiteral("frmMain"));
        QCOMPARE(face.size(), QSize(qRound(765 * 1.5), qRound(565 * 1.5)));
        QCOMPARE(face.devicePixelRatio(), 1.5);
    }

    // The save button's white writing against the lightest part of its face
    // beside the writing, in the rows the writing takes, in every look.
    void saveButtonWritingStandsOut_data()
    {
        QTest::addColumn<int>("look");
        QTest::newRow("resting") << int(faces::Look::Rest);
        QTest::newRow("lit") << int(faces::Look::Lit);
        QTest::newRow("pressed") << int(faces::Look::Pressed);
    }
    void saveButtonWritingStandsOut()
    {
        QFETCH(int, look);
        QImage face(90, 32, QImage::Format_ARGB32);
        face.fill(QColor(214, 227, 240));
        {
            QPainter p(&face);
            faces::transportButton(p, QRectF(0, 0, 90, 32), 6, faces::Look(look));
        }
        // the writing's colour: the lightest pixel of its middle
        QColor writing = Qt::black;
        for (int x = 20; x < 70; ++x)
            for (int y = 12; y < 20; ++y)
                if (contrastRatio(face.pixelColor(x, y), Qt::black) > contrastRatio(writing, Qt::black))
                    writing = face.pixelColor(x, y);
        double worst = 21;
        for (int y = 8; y < 24; ++y)
            for (int x : {4, 5, 6, 7, 8, 9, 10, 79, 80, 81, 82, 83, 84, 85})
                worst = std::min(worst, contrastRatio(writing, face.pixelColor(x, y)));
        QVERIFY2(worst >= 4.5, qPrintable(QStringLiteral("%1 : 1").arg(worst, 0, 'f', 2)));
    }

    void programIconSizes()
    {
        const QList<QSize> sizes = Skin::programIcon().availableSizes();
        for (int s : {16, 24, 32, 48, 64, 128, 256}) {
            QVERIFY2(sizes.contains(QSize(s, s)), qPrintable(QString::number(s)));
            const QImage image = Skin::programIconImage(s);
            QCOMPARE(image.size(), QSize(s, s));
            QCOMPARE(qAlpha(image.pixel(s / 2, s / 2)), 255);
        }
    }
};

QTEST_MAIN(TestSkin)
#include "test_skin.moc"
