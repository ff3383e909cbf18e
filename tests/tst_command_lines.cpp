// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "loco_command.h"
#include "power_feedback_command.h"
#include "turnout_command.h"
#include "warnings_fail.h"

#include <QTest>

class tst_CommandLines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void locoStateAtProgramStart()
    {
        QCOMPARE(Loco.LocoPrefix, QStringLiteral("SET GL "));
        QCOMPARE(Loco.LocoProtocol, QString());
        QCOMPARE(Loco.LocoDirectionFlag, 0);
        QCOMPARE(Loco.LocoDirection, QString());
        QCOMPARE(Loco.LocoSpeed, QString());
        QCOMPARE(Loco.LocoMaxSpeed, QString());
        QCOMPARE(Loco.LocoFunction, QStringLiteral("0 "));
    }

    void protocolToken_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<int>("maerklin");
        QTest::addColumn<int>("dcc");
        QTest::addColumn<QString>("token");
        QTest::newRow("Märklin normal") << 0 << 0 << 3 << "M1 ";
        QTest::newRow("Märklin erweitert") << 0 << 1 << 0 << "M2 ";
        QTest::newRow("Märklin nothing chosen") << 0 << -1 << 0 << "M2 ";
        QTest::newRow("DCC NB") << 1 << 0 << 0 << "NB ";
        QTest::newRow("DCC N1") << 1 << 1 << 1 << "N1 ";
        QTest::newRow("DCC N2") << 1 << 0 << 2 << "N2 ";
        QTest::newRow("DCC N3") << 1 << 0 << 3 << "N3 ";
        QTest::newRow("DCC N4") << 1 << 0 << 4 << "N4 ";
        QTest::newRow("DCC nothing chosen keeps previous") << 1 << 0 << -1 << "previous";
        QTest::newRow("DCC beyond the list keeps previous") << 1 << 0 << 5 << "previous";
        QTest::newRow("no family reads the DCC group") << -1 << 0 << 2 << "N2 ";
    }
    void protocolToken()
    {
        QFETCH(int, family);
        QFETCH(int, maerklin);
        QFETCH(int, dcc);
        QFETCH(QString, token);
        QCOMPARE(locoProtocolToken(family, maerklin, dcc, QStringLiteral("previous")), token);
    }

    void locoLineBytes_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("line");
        QTest::newRow("start-up state") << "M1 "
                                        << "1" << 100 << "SET GL M1 1 1 0 100 0 4 0 0 0 0\r\n";
        QTest::newRow("full speed") << "N2 "
                                    << "3" << 0 << "SET GL N2 3 1 100 100 0 4 0 0 0 0\r\n";
        QTest::newRow("empty address") << "M1 "
                                       << "" << 99 << "SET GL M1  1 1 100 0 4 0 0 0 0\r\n";
        QTest::newRow("address as typed")
            << "M2 "
            << " x7" << 60 << "SET GL M2  x7 1 40 100 0 4 0 0 0 0\r\n";
        QTest::newRow("no protocol yet") << ""
                                         << "1" << 100 << "SET GL 1 1 0 100 0 4 0 0 0 0\r\n";
    }
    void locoLineBytes()
    {
        QFETCH(QString, protocol);
        QFETCH(QString, address);
        QFETCH(int, position);
        QFETCH(QString, line);
        QCOMPARE(locoLine(QStringLiteral("SET GL "), protocol, address, QStringLiteral("1 "),
                          locoSpeedToken(100, position), numberToken(100), QStringLiteral("0 ")),
                 line);
    }

    void turnoutLines_data()
    {
        QTest::addColumn<int>("protocolIndex");
        QTest::addColumn<bool>("diverging");
        QTest::addColumn<QString>("onLine");
        QTest::addColumn<QString>("offLine");
        QTest::newRow("Märklin straight") << 0 << false << "SET GA M 7 0 1 -1\r\n"
                                          << "SET GA M 7 0 0 -1\r\n";
        QTest::newRow("Märklin diverging") << 0 << true << "SET GA M 7 1 1 -1\r\n"
                                           << "SET GA M 7 1 0 -1\r\n";
        QTest::newRow("DCC straight") << 1 << false << "SET GA N 7 0 1 -1\r\n"
                                      << "SET GA N 7 0 0 -1\r\n";
        QTest::newRow("nothing chosen is not Märklin") << -1 << true << "SET GA N 7 1 1 -1\r\n"
                                                       << "SET GA N 7 1 0 -1\r\n";
    }
    void turnoutLines()
    {
        QFETCH(int, protocolIndex);
        QFETCH(bool, diverging);
        QFETCH(QString, onLine);
        QFETCH(QString, offLine);
        const QString prefix = turnoutPrefix(protocolIndex);
        const TurnoutRoute route = diverging ? TurnoutRoute::Diverging : TurnoutRoute::Straight;
        QCOMPARE(turnoutLine(prefix, QStringLiteral("7"), route, true), onLine);
        QCOMPARE(turnoutLine(prefix, QStringLiteral("7"), route, false), offLine);
    }

    void feedbackQueryTakesTextAsTyped_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("line");
        QTest::newRow("number") << "1"
                                << "GET FB S88 1 \n";
        QTest::newRow("empty") << ""
                               << "GET FB S88  \n";
        QTest::newRow("letters") << "ab"
                                 << "GET FB S88 ab \n";
    }
    void feedbackQueryTakesTextAsTyped()
    {
        QFETCH(QString, module);
        QFETCH(QString, line);
        QCOMPARE(feedbackQueryLine(module), line);
    }
};

QTEST_APPLESS_MAIN(tst_CommandLines)
#include "tst_command_lines.moc"
