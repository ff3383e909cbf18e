// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "feedback_answer.h"
#include "srcp_responder.h"
#include "warnings_fail.h"

#include <QRandomGenerator>
#include <QTest>

#include <tuple>

namespace {

// Everything a command could change; a line answered with "INFO -2" must leave it alone.
auto snapshot(const SrcpResponder& responder)
{
    QList<bool> contacts;
    for (int contact = 1; contact <= SrcpResponder::ContactsPerModule; ++contact) {
        contacts.append(responder.contact(1, contact));
    }
    SrcpResponder asked = responder;
    return std::make_tuple(asked.respond("GET POWER\n"), responder.locoInfo(1),
                           responder.locoInfo(7), responder.turnoutInfo(7, 0),
                           responder.turnoutInfo(7, 1), contacts);
}

} // namespace

class tst_SrcpResponder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }
    void startsWithPowerOffAndNothingKnown();
    void welcomeNamesServerAndProtocol();
    void respond_data();
    void respond();
    void contacts_data();
    void contacts();
    void anyBytesGetAnAnswerOrNothing();
};

void tst_SrcpResponder::startsWithPowerOffAndNothingKnown()
{
    SrcpResponder responder;
    QCOMPARE(responder.respond("GET POWER\n"), "INFO POWER OFF\n");
    QVERIFY(responder.locoInfo(1).isEmpty());
    QVERIFY(responder.turnoutInfo(1, 0).isEmpty());
    QVERIFY(!responder.contact(1, 1));
    // SET is answered until told otherwise.
    QCOMPARE(responder.respond("SET POWER ON\n"), "INFO POWER ON\n");
}

void tst_SrcpResponder::welcomeNamesServerAndProtocol()
{
    const QByteArray welcome = SrcpResponder::welcomeLine();
    QVERIFY(welcome.contains("kolvo-loopback-server"));
    QVERIFY(welcome.contains("SRCP 0.7.3"));
    QVERIFY(welcome.endsWith('\n'));
    QCOMPARE(welcome.count('\n'), 1);
}

void tst_SrcpResponder::respond_data()
{
    QTest::addColumn<QList<QByteArray>>("before");
    QTest::addColumn<bool>("silentSet");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");

    const QList<QByteArray> none;
    const QByteArray invalid = "INFO -2\n";
    const QList<QByteArray> known{"SET GA M 7 0 1 -1\r\n", "SET GL M1 7 1 0 100 0 4 0 0 0 0\r\n",
                                  "SET POWER ON \r\n"};

    // What the window sends, with CR LF and with LF alone.
    QTest::newRow("turnout CR LF") << none << false << QByteArray("SET GA M 7 0 1 -1\r\n")
                                   << QByteArray("INFO GA M 7 0 1 -1\n");
    QTest::newRow("turnout LF, DCC") << none << false << QByteArray("SET GA N 12 1 0 -1\n")
                                     << QByteArray("INFO GA N 12 1 0 -1\n");
    QTest::newRow("loco CR LF") << none << false
                                << QByteArray("SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n")
                                << QByteArray("INFO GL M1 1 1 0 100 0 4 0 0 0 0\n");
    QTest::newRow("loco, blanks and zeros normalised")
        << none << false << QByteArray("SET  GL\tN4 007 0 100 100 1 4 0 1 0 0 \n")
        << QByteArray("INFO GL N4 7 0 100 100 1 4 0 1 0 0\n");
    QTest::newRow("loco without further functions")
        << none << false << QByteArray("SET GL M2 3 1 5 14 0 0\n")
        << QByteArray("INFO GL M2 3 1 5 14 0 0\n");
    QTest::newRow("power on, trailing blank")
        << none << false << QByteArray("SET POWER ON \r\n") << QByteArray("INFO POWER ON\n");
    QTest::newRow("power off LF") << known << false << QByteArray("SET POWER OFF \n")
                                  << QByteArray("INFO POWER OFF\n");
    QTest::newRow("feedback, all open")
        << none << false << QByteArray("GET FB S88 1 \n") << feedbackAnswer(1, {});
    QTest::newRow("feedback, last module")
        << none << false << QByteArray("GET FB S88 64\r\n") << feedbackAnswer(64, {});

    // GET reports the state that SET left.
    QTest::newRow("power before any SET")
        << none << false << QByteArray("GET POWER\n") << QByteArray("INFO POWER OFF\n");
    QTest::newRow("power after SET")
        << known << false << QByteArray("GET POWER\r\n") << QByteArray("INFO POWER ON\n");
    QTest::newRow("loco after SET") << known << false << QByteArray("GET GL 7\n")
                                    << QByteArray("INFO GL M1 7 1 0 100 0 4 0 0 0 0\n");
    QTest::newRow("turnout after SET, last action wins")
        << QList<QByteArray>{"SET GA M 7 0 1 -1\r\n", "SET GA M 7 0 0 -1\r\n"} << false
        << QByteArray("GET GA 7 0\n") << QByteArray("INFO GA M 7 0 0 -1\n");
    QTest::newRow("unknown loco") << known << false << QByteArray("GET GL 8\n") << invalid;
    QTest::newRow("unknown turnout output")
        << known << false << QByteArray("GET GA 7 1\n") << invalid;

    // A strict command port: SET changes the state, answers nothing; GET and errors still answer.
    QTest::newRow("silent turnout")
        << none << true << QByteArray("SET GA M 7 0 1 -1\r\n") << QByteArray();
    QTest::newRow("silent loco") << none << true
                                 << QByteArray("SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n")
                                 << QByteArray();
    QTest::newRow("silent power") << none << true << QByteArray("SET POWER ON \r\n")
                                  << QByteArray();
    QTest::newRow("silent SET still changes state")
        << known << true << QByteArray("GET POWER\n") << QByteArray("INFO POWER ON\n");
    QTest::newRow("silent, garbage still answered")
        << none << true << QByteArray("SET GA\n") << invalid;

    // Nothing said, nothing answered.
    QTest::newRow("empty LF") << known << false << QByteArray("\n") << QByteArray();
    QTest::newRow("blanks CR LF") << known << false << QByteArray("  \t \r\n") << QByteArray();

    // Wrong or incomplete lines: "INFO -2", and the state stays as it was.
    const QList<std::pair<const char*, QByteArray>> wrong{
        {"text", "hello\n"},
        {"control bytes", QByteArray("SET POWER ON\x00\xff\n", 15)},
        {"lower case", "set power on\r\n"},
        {"verb only", "SET\n"},
        {"unknown object", "SET XY 1\n"},
        {"power value", "SET POWER 1\n"},
        {"power extra field", "SET POWER OFF NOW\n"},
        {"GET POWER extra field", "GET POWER ON\n"},
        {"stray CR", "SET POWER OFF\r\r\n"},
        {"turnout missing delay", "SET GA M 7 0 0\r\n"},
        {"turnout extra field", "SET GA M 7 0 0 -1 1\r\n"},
        {"turnout protocol", "SET GA X 7 0 0 -1\r\n"},
        {"turnout address 0", "SET GA M 0 0 0 -1\r\n"},
        {"turnout negative address", "SET GA M -7 0 0 -1\r\n"},
        {"turnout address too high", "SET GA M 10000 0 0 -1\r\n"},
        {"turnout address overflow", "SET GA M 99999999999 0 0 -1\r\n"},
        {"turnout plus sign", "SET GA M +7 0 0 -1\r\n"},
        {"turnout port 2", "SET GA M 7 2 0 -1\r\n"},
        {"turnout action 2", "SET GA M 7 0 2 -1\r\n"},
        {"loco without protocol", "SET GL 1 1 0 100 0 4 0 0 0 0\r\n"},
        {"loco unknown protocol", "SET GL M9 1 0 0 100 0 4 0 0 0 0\r\n"},
        {"loco address text", "SET GL M1 abc 0 0 100 0 4 0 0 0 0\r\n"},
        {"loco speed above maximum", "SET GL M1 7 0 101 100 0 4 0 0 0 0\r\n"},
        {"loco direction 2", "SET GL M1 7 2 0 100 0 4 0 0 0 0\r\n"},
        {"loco function missing", "SET GL M1 7 0 0 100 0 4 0 0 0\r\n"},
        {"loco function extra", "SET GL M1 7 0 0 100 0 4 0 0 0 0 0\r\n"},
        {"feedback module 0", "GET FB S88 0 \n"},
        {"feedback module too high", "GET FB S88 65 \n"},
        {"feedback bus", "GET FB XYZ 1 \n"},
        {"feedback without module", "GET FB S88 \n"},
        {"GET GA without port", "GET GA 7\n"},
    };
    for (const auto& [name, line] : wrong) {
        QTest::newRow(name) << known << false << line << invalid;
    }
}

void tst_SrcpResponder::respond()
{
    QFETCH(QList<QByteArray>, before);
    QFETCH(bool, silentSet);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);

    SrcpResponder responder;
    for (const QByteArray& earlier : before) {
        QVERIFY(!responder.respond(earlier).startsWith("INFO -2"));
    }
    responder.setSilentSet(silentSet);
    const auto stateBefore = snapshot(responder);

    QCOMPARE(responder.respond(line), answer);
    const bool silentlyApplied = silentSet && line.startsWith("SET");
    if (answer == "INFO -2\n" || (answer.isEmpty() && !silentlyApplied)) {
        QVERIFY(snapshot(responder) == stateBefore);
    }
}

void tst_SrcpResponder::contacts_data()
{
    QTest::addColumn<QList<QByteArray>>("settings");
    QTest::addColumn<QList<bool>>("accepted");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("one contact") << QList<QByteArray>{"FB 1 5 1"} << QList<bool>{true}
                                 << QByteArray("GET FB S88 1 \n") << feedbackAnswer(1, {5});
    QTest::newRow("first and last, CR LF")
        << QList<QByteArray>{"FB 2 1 1\r\n", "FB 2 16 1\n"} << QList<bool>{true, true}
        << QByteArray("GET FB S88 2 \n") << feedbackAnswer(2, {1, 16});
    QTest::newRow("opened again") << QList<QByteArray>{"FB 1 5 1", "FB 1 6 1", "FB 1 5 0"}
                                  << QList<bool>{true, true, true} << QByteArray("GET FB S88 1 \n")
                                  << feedbackAnswer(1, {6});
    QTest::newRow("other module untouched")
        << QList<QByteArray>{"FB 1 5 1"} << QList<bool>{true} << QByteArray("GET FB S88 3 \n")
        << feedbackAnswer(3, {});
    QTest::newRow("rejected settings")
        << QList<QByteArray>{"FB 0 5 1", "FB 65 5 1",  "FB 1 0 1", "FB 1 17 1",   "FB 1 5 2",
                             "FB 1 5",   "FB 1 5 1 1", "fb 1 5 1", "GET FB S88 1"}
        << QList<bool>(9, false) << QByteArray("GET FB S88 1 \n") << feedbackAnswer(1, {});
}

void tst_SrcpResponder::contacts()
{
    QFETCH(QList<QByteArray>, settings);
    QFETCH(QList<bool>, accepted);
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, answer);

    SrcpResponder responder;
    for (qsizetype i = 0; i < settings.size(); ++i) {
        const auto setting = SrcpResponder::parseContactSetting(settings.at(i));
        QCOMPARE(setting.has_value(), accepted.at(i));
        if (setting) {
            QVERIFY(responder.setContact(*setting));
        }
    }
    QCOMPARE(responder.respond(query), answer);
}

void tst_SrcpResponder::anyBytesGetAnAnswerOrNothing()
{
    // What a fuzzer will do at scale: no input may crash it or yield a half line.
    QRandomGenerator random(5);
    const QByteArray alphabet("SETGLAPOWRNFB8M -0123456789\r\n\t\x00\xff", 32);
    SrcpResponder responder;
    for (int round = 0; round < 5000; ++round) {
        QByteArray line;
        const int length = random.bounded(40);
        for (int i = 0; i < length; ++i) {
            line += alphabet.at(random.bounded(alphabet.size()));
        }
        const QByteArray answer = responder.respond(line);
        QVERIFY(answer.isEmpty() ||
                (answer.startsWith("INFO ") && answer.count('\n') == 1 && answer.endsWith('\n')));
    }
}

QTEST_GUILESS_MAIN(tst_SrcpResponder)
#include "tst_srcp_responder.moc"
