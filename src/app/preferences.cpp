#include "app/preferences.h"

#include <QStandardPaths>

namespace cadenzo {

QString preferencesFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/cadenzo/preferences.ini");
}

std::unique_ptr<QSettings> openPreferences() {
    return std::make_unique<QSettings>(preferencesFilePath(), QSettings::IniFormat);
}

} // namespace cadenzo
