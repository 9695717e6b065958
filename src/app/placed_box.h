#pragma once

#include <QMessageBox>

#include <functional>

namespace cadenzo {

// Shows a modal message box whose frame stands at the owner's frame + 40, + 40 (the window's
// place as the settings file keeps it) and returns the button pressed. `adjust` may rename buttons
// or choose the default one before the box is shown. While a dialog that stays on top is open,
// the box is shown over it.
int execPlacedBox(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text,
                  QMessageBox::StandardButtons buttons,
                  const std::function<void(QMessageBox&)>& adjust = {});

} // namespace cadenzo
