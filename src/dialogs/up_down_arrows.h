#pragma once

#include <QWidget>

class QToolButton;

namespace cadenzo {

// A pair of arrow buttons that step a position within limits, without a text of its own: the
// dialogs show the position in a box beside it, in their own words (a key letter, a pitch
// name). The position does not wrap. A click (or the Up and Down keys) moves the position first
// and then reports the direction, so the dialog can move it on past taken values.
class UpDownArrows : public QWidget {
    Q_OBJECT

public:
    UpDownArrows(int minimum, int maximum, QWidget* parent = nullptr);

    int position() const { return position_; }
    // Where the last click found the position, before it moved it.
    int previousPosition() const { return previous_; }
    // Sets the position as it is (a preset may tune a string above the arrows' maximum);
    // reports nothing.
    void setPosition(int position) { position_ = position; }
    void setIncrement(int increment) { increment_ = increment; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    // After a click has moved the position: +1 for the up arrow, -1 for the down arrow.
    void clicked(int direction);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Step(int direction);

    QToolButton* up_;
    QToolButton* down_;
    int minimum_;
    int maximum_;
    int position_;
    int previous_;
    int increment_ = 1;
};

} // namespace cadenzo
