#pragma once

#include <QPlainTextEdit>
#include <QStringList>

// The log: each appended text becomes one entry at the end, shown with its own line ends, so
// a command line that ends in CR LF is followed by an empty line. The exact texts are kept.
class LogPane : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit LogPane(QWidget* parent = nullptr);

    void append(const QString& entry);
    [[nodiscard]] const QStringList& entries() const { return appended; }

private:
    QStringList appended;
};
