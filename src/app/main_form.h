#pragma once

#include <QMainWindow>

namespace cadenzo {

// The main window of Cadenzo.
class Tmain_form : public QMainWindow {
    Q_OBJECT

public:
    explicit Tmain_form(QWidget *parent = nullptr);
};

} // namespace cadenzo
