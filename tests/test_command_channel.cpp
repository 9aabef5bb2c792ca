// The popup menus' command slot and its dispatch.
#include "ui/CommandChannel.h"
#include "support/RecordingMessages.h"

#include <QtTest>

class CommandChannelTest : public QObject {
    Q_OBJECT

    struct Harness {
        RecordingMessages messages;
        QList<int> toolbar;
        int exits = 0;
        CommandChannel channel{messages,
                               {[this](ToolbarActions::Button b) { toolbar.append(int(b)); }, [this] { ++exits; }}};
    };

private slots:
    void wordsReachTheirActions_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("toolbarIndex");
        QTest::newRow("OpenFile") << "OpenFile" << 0;
        QTest::newRow("SaveRingTone") << "SaveRingTone" << 1;
        QTest::newRow("RRC") << "RRC" << 2;
        QTest::newRow("SR") << "SR" << 4;
        QTest::newRow("Setting") << "Setting" << 5;
        QTest::newRow("Help") << "Help" << 6;
    }
    void wordsReachTheirActions()
    {
        QFETCH(QString, word);
        QFETCH(int, toolbarIndex);
        Harness h;
        h.channel.write(word);
        QCOMPARE(h.toolbar, QList<int>{toolbarIndex});
        QCOMPARE(h.exits, 0);
        QCOMPARE(h.messages.messages.size(), 0);
        QCOMPARE(h.channel.lastWord(), word);
    }

    void repeatedEntryRunsEachTime()
    {
        Harness h;
        h.channel.write(QStringLiteral("RRC"));
        h.channel.write(QStringLiteral("RRC"));
        QCOMPARE(h.toolbar, (QList<int>{2, 2}));
    }

    void unknownTextsDoNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("design text") << "Text1";
        QTest::newRow("empty") << "";
        QTest::newRow("lower case exit") << "exit";
        QTest::newRow("trailing blank") << "About ";
    }
    void unknownTextsDoNothing()
    {
        QFETCH(QString, text);
        Harness h;
        h.channel.write(text);
        QVERIFY(h.toolbar.isEmpty());
        QCOMPARE(h.exits, 0);
        QVERIFY(h.messages.messages.isEmpty());
    }

    void exitAsksTheWindowToClose()
    {
        Harness h;
        h.channel.write(QStringLiteral("Exit"));
        QCOMPARE(h.exits, 1);
        QVERIFY(h.toolbar.isEmpty());
    }

    void aboutBoxHasTwoLinesEachEndingInTwoSpaces()
    {
        Harness h;
        h.channel.write(QStringLiteral("About"));
        QCOMPARE(h.messages.messages.size(), 1);
        const auto &m = h.messages.messages.first();
        QCOMPARE(m.title, QStringLiteral("About"));
        QCOMPARE(m.icon, MessageIcon::None);
        QCOMPARE(m.buttons, MessageButtons::Ok);
        const QStringList lines = m.text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 2);
        for (const QString &line : lines) {
            QVERIFY(line.endsWith(QStringLiteral("  ")));
            QVERIFY(!line.endsWith(QStringLiteral("   ")));
        }
        QVERIFY(lines[1].startsWith(QStringLiteral("https://")));
    }
};

QTEST_GUILESS_MAIN(CommandChannelTest)
#include "test_command_channel.moc"
