#pragma once
// The box every refusal and failure of the program is shown in: a critical icon, a caption, a
// text and one OK button, modal, with no owner window. Only QtWidgets below it, so that every
// window folder (the progress window of the exchange too) can use it without linking the main
// window.
#include <QString>

/// Shows the box and returns when it is closed.
void ShowErrorBox(const QString& caption, const QString& text);
