#include "single_line.h"

void requireSingleLine(const QString& text, const QString& fieldName)
{
    if (text.contains(u'\r') || text.contains(u'\n')) {
        throw ELineBreakInField(
            QStringLiteral("Das Feld \"%1\" enthält einen Zeilenumbruch; es wird nichts gesendet.")
                .arg(fieldName));
    }
}
