#include "app/main_form.h"

namespace cadenzo {

Tmain_form::Tmain_form(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("main_form"));
    setWindowTitle(QStringLiteral("Cadenzo v2.02"));
    resize(422, 270);
}

} // namespace cadenzo
