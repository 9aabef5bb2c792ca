// Hover and press feedback of the skinned main window.
#include "ui/Chrome.h"

#include <QtTest>

using Light = Chrome::Light;

class ChromeTest : public QObject {
    Q_OBJECT
private slots:
    void toolbarHoverLightsOnlyTheButtonUnderThePointer()
    {
        Chrome chrome;
        chrome.toolbarMoved(0, QStringLiteral("打开一个音乐/视频文件"));
        chrome.toolbarMoved(1, QStringLiteral("保存铃声"));
        QCOMPARE(chrome.toolbar[1], Light::Lit);
        QCOMPARE(std::count(chrome.toolbar.begin(), chrome.toolbar.end(), Light::Lit), 1);
        QCOMPARE(chrome.hint(), QStringLiteral("保存铃声"));
    }

    void heldToolbarButtonShowsItsPlainFaceUntilThePointerMoves()
    {
        Chrome chrome;
        chrome.toolbarMoved(2, QStringLiteral("随机选择一段铃声"));
        chrome.toolbarPressed(2);
        QCOMPARE(chrome.toolbar[2], Light::Clear);
        QCOMPARE(chrome.isButtonPressed(), true);
        chrome.toolbarReleased(2);
        QCOMPARE(chrome.isButtonPressed(), false);
        QCOMPARE(chrome.toolbar[2], Light::Clear);
        chrome.toolbarMoved(2, QStringLiteral("随机选择一段铃声"));
        QCOMPARE(chrome.toolbar[2], Light::Lit);
    }

    void slidingOffAHeldTransportButtonOnlyMovesTheHint()
    {
        Chrome chrome;
        chrome.transportPressed(0);
        QCOMPARE(chrome.transport[0], Light::Pressed);
        chrome.transportMoved(1, QStringLiteral("停止"));
        QCOMPARE(chrome.transport[0], Light::Pressed);
        QCOMPARE(chrome.transport[1], Light::Clear);
        QCOMPARE(chrome.hint(), QStringLiteral("停止"));
        chrome.transportReleased(0);
        QCOMPARE(chrome.transport[0], Light::Pressed);  // until the pointer moves again
        chrome.transportMoved(0, QStringLiteral("播放"));
        QCOMPARE(chrome.transport[0], Light::Lit);
    }

    void minimiseAndCloseGlyphsTakeTheLightFromEachOther()
    {
        Chrome chrome;
        chrome.transportMoved(0, QStringLiteral("播放"));
        chrome.closeMoved();
        QCOMPARE(chrome.close, Light::Lit);
        QCOMPARE(chrome.hint(), QStringLiteral("播放"));  // close leaves the hint alone
        chrome.minimiseMoved(QStringLiteral("Minimize"));
        QCOMPARE(chrome.minimise, Light::Lit);
        QCOMPARE(chrome.close, Light::Clear);
        QCOMPARE(chrome.hint(), QStringLiteral("Minimize"));
    }

    void menuStripLightsTheWordButNeverTouchesHintOrPressState()
    {
        Chrome chrome;
        chrome.transportPressed(2);
        chrome.transportMoved(2, QStringLiteral("暂停"));
        chrome.menuMoved(3);
        chrome.menuMoved(1);
        QCOMPARE(chrome.menu[1], Light::Lit);
        QCOMPARE(chrome.menu[3], Light::Clear);
        QCOMPARE(chrome.hint(), QStringLiteral("暂停"));
        QCOMPARE(chrome.isButtonPressed(), true);
    }

    void bareFaceClearsEverything()
    {
        Chrome chrome;
        chrome.toolbarMoved(4, QStringLiteral("x"));
        chrome.transportPressed(5);
        chrome.menuMoved(0);
        chrome.minimiseMoved(QStringLiteral("Minimize"));
        chrome.quickStartMoved();
        chrome.faceMoved();
        for (Light l : chrome.toolbar) QCOMPARE(l, Light::Clear);
        for (Light l : chrome.transport) QCOMPARE(l, Light::Clear);
        for (Light l : chrome.menu) QCOMPARE(l, Light::Clear);
        QCOMPARE(chrome.minimise, Light::Clear);
        QCOMPARE(chrome.quickStart, Light::Clear);
        QVERIFY(chrome.hint().isEmpty());
        QCOMPARE(chrome.isButtonPressed(), false);
    }
};

QTEST_GUILESS_MAIN(ChromeTest)
#include "test_chrome.moc"
