#include "power_feedback_command.h"

QString feedbackQueryLine(const QString& moduleText)
{
    return QStringLiteral("GET FB S88 ") + moduleText + QStringLiteral(" \n");
}
