#include "dialogs/up_down_arrows.h"

#include <QKeyEvent>
#include <QToolButton>

#include <algorithm>

namespace cadenzo {

UpDownArrows::UpDownArrows(int minimum, int maximum, QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)), minimum_(minimum),
      maximum_(maximum), position_(minimum), previous_(minimum) {
    setFocusPolicy(Qt::TabFocus);
    for (auto [button, arrow, name, direction] :
         {std::tuple{up_, Qt::UpArrow, "up", 1}, std::tuple{down_, Qt::DownArrow, "down", -1}}) {
        button->setObjectName(QString::fromLatin1(name));
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, d = direction] { Step(d); });
    }
}

// A click at an end still reports, as the position's neighbours may have to be skipped again;
// a position beyond the maximum only comes down.
void UpDownArrows::Step(int direction) {
    previous_ = position_;
    const int moved = position_ + direction * increment_;
    if (direction > 0 && position_ < maximum_)
        position_ = std::min(moved, maximum_);
    else if (direction < 0 && position_ > minimum_)
        position_ = std::clamp(moved, minimum_, maximum_);
    emit clicked(direction);
}

void UpDownArrows::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up)
        Step(1);
    else if (event->key() == Qt::Key_Down)
        Step(-1);
    else
        QWidget::keyPressEvent(event);
}

void UpDownArrows::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

} // namespace cadenzo
