#pragma once

class QString;

// Shows a failure to the operator in a modal message box over the active window.
void showExceptionMessage(const QString& message);
