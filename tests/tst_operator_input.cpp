// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tclient_socket_access.h"
#include "warnings_fail.h"
#include "window_fixture.h"
#include "window_per_test.h"

#include <QApplication>
#include <QClipboard>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <tuple>
#include <utility>

namespace {

// Keeps every byte the window sends, whatever the line length: some inputs make lines longer
// than the shared peer accepts. It runs on the test's thread; the wire is read after each
// action, so its timing does not matter here.
class WireRecorder : public QObject
{
public:
    WireRecorder()
    {
        connect(&server, &QTcpServer::newConnection, this, &WireRecorder::acceptClients);
    }

    [[nodiscard]] bool listen() { return server.listen(QHostAddress::LocalHost, 0); }
    [[nodiscard]] quint16 port() const { return server.serverPort(); }
    [[nodiscard]] QByteArray bytes() const { return received; }
    [[nodiscard]] int connectionCount() const { return connections; }

private:
    void acceptClients()
    {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            ++connections;
            connect(socket, &QTcpSocket::readyRead, this,
                    [this, socket] { received += socket->readAll(); });
        }
    }

    QTcpServer server;
    QByteArray received;
    int connections = 0;
};

// Sent after an action through the same connection: whatever arrives before it is all the
// action sent, and nobody has to wait an arbitrary time for "nothing".
const QString Marker = QStringLiteral("#MARKE#\n");

// A window and a wire recorder for it to connect to.
struct InputWindow
{
    WindowFixture w;
    WireRecorder wire;

    [[nodiscard]] bool connect()
    {
        if (w.form->ClientSocket1->Active()) {
            return true;
        }
        if (wire.port() == 0 && !wire.listen()) {
            return false;
        }
        const int connectionsBefore = wire.connectionCount();
        w.form->Hostedit->setText(QStringLiteral("127.0.0.1"));
        w.form->PortEdit->setText(QString::number(wire.port()));
        w.form->VerbindenButton->click();
        return QTest::qWaitFor([&] {
            return w.form->ClientSocket1->Active() && wire.connectionCount() > connectionsBefore;
        });
    }

    void disconnect() { w.form->TrennenButton->click(); }

    // What the window put on the wire for an action, up to the marker sent after it.
    [[nodiscard]] QByteArray sentFor(const std::function<void()>& action)
    {
        const qsizetype before = wire.bytes().size();
        action();
        w.form->ClientSocket1->SendText(Marker);
        const QByteArray marker = Marker.toLatin1();
        if (!QTest::qWaitFor([&] { return wire.bytes().mid(before).endsWith(marker); })) {
            return "(marker never arrived)";
        }
        return wire.bytes().mid(before).chopped(marker.size());
    }

    // The function toggle sends the locomotive line; it starts each case from "off".
    [[nodiscard]] bool functionOff()
    {
        if (w.form->Button5->text() == QLatin1String("on")) {
            return !sentFor([this] { w.form->Button5->click(); }).isEmpty();
        }
        return true;
    }
};

QLineEdit* edit(const WindowFixture& w, const QString& name)
{
    return w.form->findChild<QLineEdit*>(name);
}

// Typed stands for anything that ends up as the field's text; pasting goes through the
// clipboard and the edit's own paste, as an operator's Ctrl+V does.
void enter(QLineEdit* field, const QString& text, bool pasted)
{
    if (!pasted) {
        field->setText(text);
        return;
    }
    QApplication::clipboard()->setText(text);
    field->selectAll();
    field->paste();
}

const QString ThousandDigits = QString(1000, u'7');

} // namespace

class tst_OperatorInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }
    void cleanupTestCase() { windows.release(); }

    void numberFieldsRefuseWhatIsNoInteger_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("pasted");
        const QList<std::pair<const char*, QString>> inputs = {
            {"blanks", QStringLiteral("   ")},
            {"blank before digits", QStringLiteral(" 5")},
            {"blank after digits", QStringLiteral("5 ")},
            {"letters", QStringLiteral("abc")},
            {"digits then letter", QStringLiteral("12a")},
            {"hex", QStringLiteral("0x10")},
            {"plus alone", QStringLiteral("+")},
            {"minus alone", QStringLiteral("-")},
            {"two signs", QStringLiteral("+-5")},
            {"one above the range", QStringLiteral("2147483648")},
            {"one below the range", QStringLiteral("-2147483649")},
            {"1000 digits", ThousandDigits},
            {"Cyrillic letter", QStringLiteral("Ж")},
            {"euro sign", QStringLiteral("€")},
            {"Arabic-Indic digit", QStringLiteral("\u0663")},
            {"full-width digit", QStringLiteral("\uff15")},
            {"line break inside", QStringLiteral("1\n2")},
            {"CR LF after digits", QStringLiteral("5\r\n")},
        };
        for (const char* field : {"PortEdit", "SendenEdit"}) {
            for (const auto& [name, input] : inputs) {
                QTest::addRow("%s, %s", field, name) << field << input << false;
            }
            QTest::addRow("%s, pasted lines", field)
                << field << QStringLiteral("5\r\nSET POWER ON \r\n") << true;
        }
    }
    void numberFieldsRefuseWhatIsNoInteger()
    {
        QFETCH(QString, field);
        QFETCH(QString, input);
        QFETCH(bool, pasted);
        InputWindow& i = rowWindow();
        WindowFixture& w = i.w;
        const bool port = field == QLatin1String("PortEdit");
        if (port) {
            // Unconnected, so that an attempt, had one started, would show in the socket.
            i.disconnect();
            w.form->Hostedit->setText(QStringLiteral("127.0.0.1"));
        } else {
            QVERIFY(i.connect());
        }
        QLineEdit* target = edit(w, field);
        enter(target, input, pasted);
        QCOMPARE(target->text(), input);
        const QStringList logBefore = w.log();
        const int portBefore = TClientSocketAccess::port(*w.form->ClientSocket1);

        if (port) {
            w.form->VerbindenButton->click();
            auto* socket = w.form->ClientSocket1->findChild<QTcpSocket*>();
            QVERIFY(socket);
            QCOMPARE(socket->state(), QAbstractSocket::UnconnectedState);
        } else {
            QCOMPARE(i.sentFor([&] { w.form->gerade_Button->click(); }), QByteArray());
        }
        QCOMPARE(w.shownMessages,
                 QStringList{QStringLiteral("'%1' ist kein gültiger Integerwert").arg(input)});
        QCOMPARE(w.log(), logBefore);
        QCOMPARE(TClientSocketAccess::port(*w.form->ClientSocket1), portBefore);
    }

    void portFieldTakesEveryIntegerNotation_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("connects");
        // %1 is the recorder's port, so an accepted notation really reaches it.
        QTest::newRow("plus sign") << "+%1" << true;
        QTest::newRow("leading zero") << "0%1" << true;
        QTest::newRow("negative") << "-3" << false;
        QTest::newRow("largest 32-bit") << "2147483647" << false;
        QTest::newRow("smallest 32-bit") << "-2147483648" << false;
    }
    void portFieldTakesEveryIntegerNotation()
    {
        QFETCH(QString, input);
        QFETCH(bool, connects);
        InputWindow& i = rowWindow();
        WindowFixture& w = i.w;
        i.disconnect();
        QVERIFY(i.wire.port() != 0 || i.wire.listen());
        const int connectionsBefore = i.wire.connectionCount();
        const QString text = input.contains(u'%') ? input.arg(i.wire.port()) : input;
        w.form->Hostedit->setText(QStringLiteral("127.0.0.1"));
        w.form->PortEdit->setText(text);
        w.form->VerbindenButton->click();
        if (connects) {
            QTRY_VERIFY(w.form->ClientSocket1->Active());
            auto* socket = w.form->ClientSocket1->findChild<QTcpSocket*>();
            QVERIFY(socket);
            QCOMPARE(socket->peerPort(), i.wire.port());
            QTRY_COMPARE(i.wire.connectionCount(), connectionsBefore + 1);
            QVERIFY(w.shownMessages.isEmpty());
        } else {
            QCOMPARE(TClientSocketAccess::port(*w.form->ClientSocket1), text.toInt());
            QCOMPARE(
                w.shownMessages,
                QStringList{QStringLiteral("Die Portnummer %1 liegt nicht zwischen 1 und 65535.")
                                .arg(text)});
            QVERIFY(!w.form->ClientSocket1->Active());
            QCOMPARE(i.wire.connectionCount(), connectionsBefore);
        }
    }

    void turnoutNumberTakesEveryIntegerNotation_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QByteArray>("address");
        QTest::newRow("empty: nothing happens") << "" << QByteArray();
        QTest::newRow("plus sign") << "+5" << QByteArray("5");
        QTest::newRow("leading zero") << "05" << QByteArray("5");
        QTest::newRow("negative") << "-3" << QByteArray("-3");
        QTest::newRow("largest 32-bit") << "2147483647" << QByteArray("2147483647");
        QTest::newRow("smallest 32-bit") << "-2147483648" << QByteArray("-2147483648");
    }
    void turnoutNumberTakesEveryIntegerNotation()
    {
        QFETCH(QString, input);
        QFETCH(QByteArray, address);
        InputWindow& i = rowWindow();
        WindowFixture& w = i.w;
        QVERIFY(i.connect());
        w.form->SendenEdit->setText(input);
        const qsizetype logBefore = w.log().size();
        const QByteArray sent = i.sentFor([&] { w.form->gerade_Button->click(); });
        const QByteArray onLine = "SET GA M " + address + " 0 1 -1\r\n";
        const QByteArray offLine = "SET GA M " + address + " 0 0 -1\r\n";
        QCOMPARE(sent, address.isEmpty() ? QByteArray() : onLine + offLine);
        QCOMPARE(w.log().mid(logBefore),
                 address.isEmpty()
                     ? QStringList()
                     : logLines({QString::fromLatin1(onLine), QString::fromLatin1(offLine)}));
        QVERIFY(w.shownMessages.isEmpty());
    }

    void textFieldsSendTheTextAsTyped_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QByteArray>("onTheWire");
        const QList<std::tuple<const char*, QString, QByteArray>> inputs = {
            {"empty", QString(), QByteArray()},
            {"blanks", QStringLiteral("   "), QByteArray("   ")},
            {"letters", QStringLiteral("abc"), QByteArray("abc")},
            {"plus alone", QStringLiteral("+"), QByteArray("+")},
            {"minus alone", QStringLiteral("-"), QByteArray("-")},
            {"plus sign", QStringLiteral("+5"), QByteArray("+5")},
            {"leading zero", QStringLiteral("05"), QByteArray("05")},
            {"negative", QStringLiteral("-3"), QByteArray("-3")},
            {"largest 32-bit", QStringLiteral("2147483647"), QByteArray("2147483647")},
            {"one above the range", QStringLiteral("2147483648"), QByteArray("2147483648")},
            {"one below the range", QStringLiteral("-2147483649"), QByteArray("-2147483649")},
            {"1000 digits", ThousandDigits, ThousandDigits.toLatin1()},
            {"markup", QStringLiteral("<b>1</b>"), QByteArray("<b>1</b>")},
        };
        for (const char* field : {"Loknr_edit", "Rueck_edit"}) {
            for (const auto& [name, input, onTheWire] : inputs) {
                QTest::addRow("%s, %s", field, name) << field << input << onTheWire;
            }
        }
    }
    void textFieldsSendTheTextAsTyped()
    {
        QFETCH(QString, field);
        QFETCH(QString, input);
        QFETCH(QByteArray, onTheWire);
        InputWindow& i = rowWindow();
        WindowFixture& w = i.w;
        QVERIFY(i.connect());
        QVERIFY(i.functionOff());
        edit(w, field)->setText(input);
        const QStringList logBefore = w.log();
        if (field == QLatin1String("Loknr_edit")) {
            const QByteArray sent = i.sentFor([&] { w.form->Button5->click(); });
            QCOMPARE(sent, "SET GL M1 " + onTheWire + " 1 0 100 1 4 0 0 0 0\r\n");
            QCOMPARE(w.log().mid(logBefore.size()), logLines({QString::fromLatin1(sent)}));
        } else {
            const QByteArray sent = i.sentFor([&] { w.form->Button1->click(); });
            QCOMPARE(sent, "GET FB S88 " + onTheWire + " \n");
            QCOMPARE(w.log(), logBefore);
        }
        QVERIFY(w.shownMessages.isEmpty());
        QVERIFY(w.form->ClientSocket1->Active());
    }

    // A command line travels as one line of 8-bit text (Latin-1): a field's text that cannot go
    // into it as typed is refused as a whole, naming the field and what it holds.
    void textFieldsRefuseWhatALineCannotCarry_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("pasted");
        // The field's bytes in the line; for refused text, the message the operator reads.
        QTest::addColumn<QByteArray>("onTheWire");
        QTest::addColumn<QString>("message");
        const QString lineBreak =
            QStringLiteral("Das Feld \"%1\" enthält einen Zeilenumbruch; es wird nichts gesendet.");
        const QString character = QStringLiteral(
            "Das Feld \"%1\" enthält das Zeichen %2, das die Verbindung nicht übertragen kann; es "
            "wird nichts gesendet.");
        // The message's %2 names the character; line breaks are tried pasted too.
        const QList<std::tuple<const char*, QString, QString, QString>> refused = {
            {"LF", QStringLiteral("1\nSET POWER ON"), lineBreak, QString()},
            {"CR LF", QStringLiteral("1\r\nSET POWER ON \r\n"), lineBreak, QString()},
            {"CR", QStringLiteral("1\rSET POWER OFF"), lineBreak, QString()},
            {"Cyrillic letter", QStringLiteral("Ж7"), character, QStringLiteral("\"Ж\" (U+0416)")},
            {"euro sign", QStringLiteral("7€"), character, QStringLiteral("\"€\" (U+20AC)")},
            {"character beyond 16 bits", QStringLiteral("7\U0001F682"), character,
             QStringLiteral("\"\U0001F682\" (U+1F682)")},
        };
        for (const char* field : {"Loknr_edit", "Rueck_edit"}) {
            const QString fieldName = QByteArrayView(field) == "Loknr_edit"
                                          ? QStringLiteral("Loknummer")
                                          : QStringLiteral("Rückmeldemodul");
            for (const auto& [name, input, message, what] : refused) {
                const QString shown =
                    what.isEmpty() ? message.arg(fieldName) : message.arg(fieldName, what);
                QTest::addRow("%s, typed %s", field, name)
                    << field << input << false << QByteArray() << shown;
                if (what.isEmpty()) {
                    QTest::addRow("%s, pasted %s", field, name)
                        << field << input << true << QByteArray() << shown;
                }
            }
            // 8-bit text carries this one: it goes out as its byte.
            QTest::addRow("%s, typed Latin-1 letter", field)
                << field << QStringLiteral("ä") << false << QByteArray("\xe4") << QString();
        }
    }
    void textFieldsRefuseWhatALineCannotCarry()
    {
        QFETCH(QString, field);
        QFETCH(QString, input);
        QFETCH(bool, pasted);
        QFETCH(QByteArray, onTheWire);
        QFETCH(QString, message);
        InputWindow& i = rowWindow();
        WindowFixture& w = i.w;
        QVERIFY(i.connect());
        // The previous row may have left text behind that the toggle would now refuse.
        w.form->Loknr_edit->setText(QStringLiteral("1"));
        QVERIFY(i.functionOff());
        QLineEdit* target = edit(w, field);
        enter(target, input, pasted);
        // The edit keeps what it got, pasted line breaks too: the window has to deal with them.
        QCOMPARE(target->text(), input);

        const bool loco = field == QLatin1String("Loknr_edit");
        const QStringList logBefore = w.log();
        const QByteArray sent =
            i.sentFor([&] { (loco ? w.form->Button5 : w.form->Button1)->click(); });
        if (message.isEmpty()) {
            const QByteArray line = loco ? "SET GL M1 " + onTheWire + " 1 0 100 1 4 0 0 0 0\r\n"
                                         : "GET FB S88 " + onTheWire + " \n";
            QCOMPARE(sent, line);
            // The feedback query is not logged; the locomotive line as it went out.
            QCOMPARE(w.log().mid(logBefore.size()),
                     loco ? logLines({QString::fromLatin1(line)}) : QStringList());
            QVERIFY(w.shownMessages.isEmpty());
        } else {
            // Nothing reaches the wire or the log, and the connection stays up.
            QCOMPARE(sent, QByteArray());
            QCOMPARE(w.log(), logBefore);
            QCOMPARE(w.shownMessages, QStringList{message});
        }
        QVERIFY(w.form->ClientSocket1->Active());
    }

    void hostFieldTakesAnyText_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("pasted");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blanks") << "   " << false;
        QTest::newRow("letters") << "abc" << false;
        QTest::newRow("signs") << "+-" << false;
        QTest::newRow("plus sign") << "+5" << false;
        QTest::newRow("leading zero") << "05" << false;
        QTest::newRow("negative") << "-3" << false;
        QTest::newRow("largest 32-bit") << "2147483647" << false;
        QTest::newRow("one above the range") << "2147483648" << false;
        QTest::newRow("1000 digits") << ThousandDigits << false;
        QTest::newRow("Cyrillic letter") << "Ж" << false;
        QTest::newRow("euro sign") << "€" << false;
        QTest::newRow("typed line break") << "localhost\nSET POWER ON" << false;
        QTest::newRow("pasted lines") << "localhost\r\nSET POWER ON \r\n" << true;
    }
    void hostFieldTakesAnyText()
    {
        QFETCH(QString, input);
        QFETCH(bool, pasted);
        InputWindow& i = rowWindow();
        WindowFixture& w = i.w;
        // Port 0 stops the attempt before any socket is touched. Real attempts with these
        // hosts are no test to run here: Qt reads "05" as 0.0.0.5 and "2147483648" as
        // 128.0.0.0, and names go to the resolver.
        w.form->PortEdit->setText(QStringLiteral("0"));
        enter(w.form->Hostedit, input, pasted);
        QCOMPARE(w.form->Hostedit->text(), input);
        const QString hostBefore = w.form->ClientSocket1->Host();
        const QString logBefore = w.logText();
        w.form->VerbindenButton->click();
        QCOMPARE(w.form->ClientSocket1->Host(), input.isEmpty() ? hostBefore : input);
        QCOMPARE(w.shownMessages,
                 QStringList{QStringLiteral("Die Portnummer 0 liegt nicht zwischen 1 und 65535.")});
        auto* socket = w.form->ClientSocket1->findChild<QTcpSocket*>();
        QVERIFY(socket);
        QCOMPARE(socket->state(), QAbstractSocket::UnconnectedState);
        // The attempt's empty entry: the break to a line of its own after an earlier entry,
        // nothing on a pane that never had one.
        const QString logAfter = w.logText();
        QVERIFY(logAfter.startsWith(logBefore));
        QVERIFY2(
            QStringList({QString(), QStringLiteral("\n")}).contains(logAfter.mid(logBefore.size())),
            qPrintable(logAfter.mid(logBefore.size())));
    }

    void hostNamesThatCannotExistAreShown_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("pasted");
        QTest::newRow("Cyrillic name") << "Ж€.invalid" << false;
        QTest::newRow("blank inside") << "a b.invalid" << false;
        QTest::newRow("pasted lines") << "x\r\nSET POWER ON.invalid" << true;
        QTest::newRow("1000 characters") << QString(1000, u'a') + ".invalid" << false;
    }
    void hostNamesThatCannotExistAreShown()
    {
        QFETCH(QString, input);
        QFETCH(bool, pasted);
        InputWindow& i = rowWindow();
        WindowFixture& w = i.w;
        QVERIFY(i.wire.port() != 0 || i.wire.listen());
        w.form->PortEdit->setText(QString::number(i.wire.port()));
        enter(w.form->Hostedit, input, pasted);
        w.form->VerbindenButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(w.shownMessages.size(), 1, 15000);
        QVERIFY(w.shownMessages.first().contains(input));
        QVERIFY(!w.form->ClientSocket1->Active());
        QCOMPARE(i.wire.connectionCount(), 0);
    }

private:
    InputWindow& rowWindow()
    {
        InputWindow& i = windows.forThisRow();
        i.w.shownMessages.clear();
        return i;
    }

    WindowPerTest<InputWindow> windows;
};

QTEST_MAIN(tst_OperatorInput)
#include "tst_operator_input.moc"
