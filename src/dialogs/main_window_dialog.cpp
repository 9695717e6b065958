#include "dialogs/main_window_dialog.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QWindow>

namespace cadenzo {

void limitChordNameField(QLineEdit* field) {
    field->setMaxLength(12);
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[^\\x00-\\x1f\\x7f]*")), field));
}

MainWindowDialog::MainWindowDialog(QWidget* mainWindow, const char* objectName, const char* caption,
                                   bool stayOnTop)
    : QDialog(nullptr), mainWindow_(mainWindow) {
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(QString::fromLatin1(caption));
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (stayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    // The main window alone decides when Cadenzo ends.
    setAttribute(Qt::WA_QuitOnClose, false);
    showMessage = [this](const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, this);
        box.exec();
    };
    // A dialog still open when the main window goes goes with it.
    if (mainWindow != nullptr)
        connect(mainWindow, &QObject::destroyed, this, [this] { delete this; });
}

void MainWindowDialog::openOver() {
    if (mainWindow_ != nullptr) {
        mainWindow_->setEnabled(false);
        move(mainWindow_->pos() + QPoint(30, 30));
        winId(); // the native window exists from here on, so it can be tied to its owner
        if (QWindow* own = windowHandle(); own != nullptr && mainWindow_->windowHandle())
            own->setTransientParent(mainWindow_->windowHandle());
    }
    show();
}

void MainWindowDialog::done(int result) {
    if (closed_)
        return;
    closed_ = true;
    closing(result);
    if (mainWindow_ != nullptr)
        mainWindow_->setEnabled(true);
    QDialog::done(result);
    if (afterClose)
        afterClose();
    deleteLater();
}

} // namespace cadenzo
