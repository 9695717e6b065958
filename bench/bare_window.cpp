// The least a Qt program can show: an empty window of Cadenzo's size and title. Its start-up time
// is the floor Cadenzo's window is measured against (scripts/measure-startup.sh). With
// BARE_WINDOW_CAPTION set it also shows one captioned button, the floor of any window with text:
// the toolkit then reads the font configuration and loads a font, which an empty window never does.
#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral(CADENZO_TITLE));
    window.resize(422, 270);
    if (std::getenv("BARE_WINDOW_CAPTION") != nullptr)
        (new QPushButton(QStringLiteral("Down"), &window))->move(10, 10);
    window.show();
    return application.exec();
}
