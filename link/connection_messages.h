#pragma once

#include <QAbstractSocket>
#include <QString>

// The operator reads German; Qt's own error strings are English and name no port.
[[nodiscard]] QString connectionFailureMessage(QAbstractSocket::SocketError error,
                                               const QString& host, int port,
                                               const QString& systemText);

[[nodiscard]] QString invalidPortMessage(int port);
