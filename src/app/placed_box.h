#pragma once

#include <QMessageBox>

namespace cadenzo {

// Shows a modal message box whose frame stands at the owner's frame + 40, + 40 (the window's
// place as the settings file keeps it) and returns the button pressed.
int execPlacedBox(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text,
                  QMessageBox::StandardButtons buttons);

} // namespace cadenzo
