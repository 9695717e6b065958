// The least a Qt program can show: an empty window of Cadenzo's size and title. Its start-up time
// is the floor Cadenzo's window is measured against (scripts/measure-startup.sh).
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral(CADENZO_TITLE));
    window.resize(422, 270);
    window.show();
    return application.exec();
}
