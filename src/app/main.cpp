#include "app/main_form.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    cadenzo::Tmain_form form;
    form.show();
    return app.exec();
}
