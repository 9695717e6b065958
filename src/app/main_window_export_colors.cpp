// The menu commands "Colors" and "Export SMF": each opens a new dialog, which disables the window
// until it closes.
#include "app/main_window.h"

#include "controls/shadow_label.h"
#include "controls/shine_speed_button.h"
#include "dialogs/color_dialog.h"
#include "dialogs/export_smf_dialog.h"

#include <QAction>

namespace cadenzo {

void MainWindow::connectExportAndColorCommands() {
    connect(colorsAction_, &QAction::triggered, this, [this] {
        // The scheme as the settings file would write it: from the controls that hold it.
        const ColorScheme current{
            background_->gradationColor(), background_->color(), sequencerButton_->colors().color(),
            sequencerButton_->colors().gradColor(), timeSignatureLabel_->fontColor()};
        auto apply = [this](const ColorScheme& s) {
            setColorScheme(true, s.backGroundBtm, s.fontColor, s.buttonTop, s.buttonBtm,
                           s.backGroundTop);
        };
        (new ColorDialog(this, current, apply))->openOver();
    });
    connect(exportSmfAction_, &QAction::triggered, this,
            [this] { (new ExportSmfDialog(this, app_))->openOver(); });
}

} // namespace cadenzo
