// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "command_server.h"
#include "console_input.h"
#include "monotonic_clock.h"
#include "srcp_responder.h"
#include "termination_signals.h"
#include "traffic_printer.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

#ifdef _WIN32
#define STOPPED_BY "Ctrl+C, Ctrl+Break or closing its console window stops it."
#else
#define STOPPED_BY "SIGTERM or SIGINT (Ctrl+C) stops it."
#endif

// Flushed per line: the output usually goes to a log file or a pipe that someone watches live.
void print(const QByteArray& text, FILE* stream = stdout)
{
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stream);
    std::fflush(stream);
}

QHostAddress addressFrom(const QString& text)
{
    if (text == QLatin1String("localhost")) {
        return QHostAddress(QHostAddress::LocalHost);
    }
    return QHostAddress(text);
}

// "--contact 1:5:1" is the console's "FB 1 5 1" in a form that needs no quoting.
std::optional<SrcpResponder::ContactSetting> contactFromOption(const QString& value)
{
    QByteArray text = value.toLatin1();
    text.replace(':', ' ');
    return SrcpResponder::parseContactSetting("FB " + text);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kolvo-loopback-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KOLVO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A small SRCP 0.7 command server to try the test client without a layout.\n"
        "It greets every connection, answers SET with the matching INFO line (or nothing with\n"
        "--silent-set), GET with INFO or \"INFO -2\", and prints every received line with its\n"
        "arrival time, the client, and the length of each turnout pulse.\n"
        "Lines on standard input like \"FB 1 5 1\" set S88 module 1, contact 5 to "
        "1.\n" STOPPED_BY));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption addressOption(QStringLiteral("address"),
                                           QStringLiteral("Address to listen on."),
                                           QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Port to listen on; 0 lets the system pick."),
        QStringLiteral("port"), QStringLiteral("12345"));
    const QCommandLineOption silentSetOption(
        QStringLiteral("silent-set"),
        QStringLiteral("Answer nothing to SET, like a strict SRCP 0.7 command port."));
    const QCommandLineOption contactOption(
        QStringLiteral("contact"),
        QStringLiteral("Set an S88 contact at start, e.g. 1:5:1 (module 1 to %1, contact 1 to "
                       "%2, value 0 or 1). Repeatable.")
            .arg(SrcpResponder::MaxModule)
            .arg(SrcpResponder::ContactsPerModule),
        QStringLiteral("module:contact:value"));
    parser.addOptions({addressOption, portOption, silentSetOption, contactOption});
    parser.process(app);

    const QHostAddress address = addressFrom(parser.value(addressOption));
    bool portOk = false;
    const quint16 port = parser.value(portOption).toUShort(&portOk);
    if (address.isNull() || !portOk) {
        print("kolvo-loopback-server: invalid --address or --port\n", stderr);
        return 2;
    }

    CommandServer server;
    const bool silentSet = parser.isSet(silentSetOption);
    if (silentSet) {
        server.setAnswering(CommandServer::Answering::SrcpSilentSet);
    }
    for (const QString& value : parser.values(contactOption)) {
        const auto setting = contactFromOption(value);
        if (!setting || !server.setContact(*setting)) {
            print("kolvo-loopback-server: invalid --contact " + value.toLocal8Bit() + '\n', stderr);
            return 2;
        }
    }

    TrafficPrinter printer;
    QObject::connect(&server, &CommandServer::clientConnected, &server,
                     [&printer](int connectionId, const QString& client) {
                         print(printer.connected(monotonicNs(), connectionId, client));
                     });
    QObject::connect(
        &server, &CommandServer::clientDisconnected, &server,
        [&printer](int connectionId) { print(printer.disconnected(monotonicNs(), connectionId)); });
    QObject::connect(&server, &CommandServer::lineTooLong, &server, [&printer](int connectionId) {
        print(printer.tooLong(monotonicNs(), connectionId));
    });
    QObject::connect(
        &server, &CommandServer::clientVanished, &server,
        [&printer](int connectionId) { print(printer.vanished(monotonicNs(), connectionId)); });
    QObject::connect(&server, &CommandServer::lineReceived, &server,
                     [&printer](const QByteArray& bytes, qint64 arrivalNs, int connectionId,
                                const QString& client) {
                         print(printer.line(bytes, arrivalNs, connectionId, client));
                     });

    ConsoleInput console;
    QObject::connect(&console, &ConsoleInput::lineRead, &server, [&server](const QByteArray& line) {
        if (LineReader::withoutLineEnd(line).trimmed().isEmpty()) {
            return;
        }
        const auto setting = SrcpResponder::parseContactSetting(line);
        if (!setting || !server.setContact(*setting)) {
            print("expected: FB <module> <contact> <0|1>\n", stderr);
            return;
        }
        print("contact S88 " + QByteArray::number(setting->module) + ' ' +
              QByteArray::number(setting->contact) + " = " + (setting->closed ? "1" : "0") + '\n');
    });

    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, &app,
                     [](int signalNumber) {
                         print("stopping on signal " + QByteArray::number(signalNumber) + '\n');
                         QCoreApplication::quit();
                     });

    if (!server.listen(address, port)) {
        print("kolvo-loopback-server: cannot listen on " + address.toString().toLocal8Bit() + ':' +
                  QByteArray::number(port) + ": " + server.errorString().toLocal8Bit() + '\n',
              stderr);
        return 1;
    }
    print("kolvo-loopback-server listening on " + address.toString().toLocal8Bit() + ':' +
          QByteArray::number(server.serverPort()) +
          (silentSet ? "; SET is answered with nothing" : "; SET is answered with INFO") +
          "; type \"FB <module> <contact> <0|1>\" to set a contact\n");
    return QCoreApplication::exec();
}
