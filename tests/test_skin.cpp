// The skin's pictures: sizes at both densities, the key-colour margin of the
// two window pictures, and the program icon.
#include "Skin.h"

#include <QtTest>

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

// Distance from the key colour; a window edge blended towards the key colour
// would leave pixels that are close to it without being it.
int keyDistance(QRgb pixel)
{
    return qAbs(qRed(pixel) - 255) + qGreen(pixel) + qAbs(qBlue(pixel) - 255);
}

// The columns of row y that are not key colour must form one unbroken run.
bool oneRun(const QImage &image, int y, bool horizontal, int *length)
{
    const int n = horizontal ? image.width() : image.height();
    int first = -1, last = -1, count = 0;
    for (int i = 0; i < n; ++i) {
        const QRgb px = horizontal ? image.pixel(i, y) : image.pixel(y, i);
        if (!isKey(px)) {
            if (first < 0)
                first = i;
            last = i;
            ++count;
        }
    }
    *length = count;
    return count == 0 || count == last - first + 1;
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
        {"icon48", {48, 48}},
    };
    for (int i = 0; i < 8; ++i)
        list.append({QStringLiteral("imgButtonData(%1)").arg(i), {37, 32}});
    for (int i = 0; i < 4; ++i)
        list.append({QStringLiteral("imgMenuData(%1)").arg(i), {48, 18}});
    for (int i = 0; i < 7; ++i) {
        const QSize size = i == 6 ? QSize(107, 32) : QSize(34, 32);
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
        const Skin &skin = skinAt(dpr);

        const QImage image = skin.image(name);
        QVERIFY(!image.isNull());
        QCOMPARE(image.devicePixelRatio(), dpr);
        QCOMPARE(image.size(), size * dpr);
        QCOMPARE(image.deviceIndependentSize(), QSizeF(size));

        const QPixmap pixmap = skin.picture(name);
        QVERIFY(!pixmap.isNull());
        QCOMPARE(pixmap.devicePixelRatio(), dpr);
        QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(size));
    }

    void catalogueListsEveryPicture()
    {
        QHash<QString, QSize> listed;
        for (const SkinPictureSpec &entry : Skin::catalogue())
            listed.insert(entry.name, entry.size);
        const auto expected = expectedPictures();
        QCOMPARE(listed.size(), expected.size());
        for (const auto &[name, size] : expected)
            QCOMPARE(listed.value(name), size);
    }

    void unknownNameGivesNothing()
    {
        QVERIFY(skinAt(1.0).picture(QStringLiteral("imgButtonData(8)")).isNull());
        QVERIFY(skinAt(1.0).image(QStringLiteral("nothing")).isNull());
    }

    void keyMargin_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qreal>("dpr");
        for (qreal dpr : {1.0, 2.0}) {
            QTest::addRow("frmMain@%gx", dpr) << QStringLiteral("frmMain") << dpr;
            QTest::addRow("frmSetting@%gx", dpr) << QStringLiteral("frmSetting") << dpr;
        }
    }

    void keyMargin()
    {
        QFETCH(QString, name);
        QFETCH(qreal, dpr);
        const QImage image = skinAt(dpr).image(name);
        const int w = image.width(), h = image.height();

        QVERIFY(isKey(image.pixel(0, 0)));
        QVERIFY(isKey(image.pixel(w - 1, 0)));
        QVERIFY(isKey(image.pixel(0, h - 1)));
        QVERIFY(isKey(image.pixel(w - 1, h - 1)));
        QVERIFY(!isKey(image.pixel(w / 2, h / 2)));

        // inside the outline there is no key colour: every row and every column
        // holds one unbroken run of face, flanked only by the margin
        int length = 0;
        for (int y = 0; y < h; ++y)
            QVERIFY2(oneRun(image, y, true, &length), qPrintable(QStringLiteral("row %1").arg(y)));
        QVERIFY(oneRun(image, h / 2, true, &length));
        QVERIFY(length > w * 9 / 10);
        for (int x = 0; x < w; ++x)
            QVERIFY2(oneRun(image, x, false, &length), qPrintable(QStringLiteral("column %1").arg(x)));

        // the edge is hard: a pixel is the key colour or clearly another colour
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb px = image.pixel(x, y);
                if (!isKey(px) && keyDistance(px) < 160)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is close to the key colour").arg(x).arg(y)));
            }
    }

    void programIconSizes()
    {
        const QList<QSize> sizes = Skin::programIcon().availableSizes();
        for (int s : {16, 24, 32, 48}) {
            QVERIFY2(sizes.contains(QSize(s, s)), qPrintable(QString::number(s)));
            const QImage image = Skin::programIconImage(s);
            QCOMPARE(image.size(), QSize(s, s));
            QCOMPARE(qAlpha(image.pixel(s / 2, s / 2)), 255);
        }
    }
};

QTEST_MAIN(TestSkin)
#include "test_skin.moc"
