#include "model/user_chords.h"
#include "view_fixture.h"
#include "views/fretboard_view.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace cadenzo {
namespace {

class FretboardViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        window = std::make_unique<QWidget>();
        view = std::make_unique<FretboardView>(window.get(), rig.guitar, controller);
        // What the window does with a change: the fretboard's part, and the roll refresh that
        // clears the hover.
        QObject::connect(view.get(), &FretboardView::guitarChanged,
                         [this](const GuitarChange& change) {
                             view->showChange(change);
                             if (change.roll)
                                 view->clearNeckHover();
                         });
        view->neckArea->setGeometry(24, 10, 236, 121);
        view->openStringsArea->setGeometry(4, 30, 18, 101);
        rig.guitar.resizeNeck(236);
        view->drawNeck();
        rig.out.clear();
    }

    test::Rig rig;
    UserChordTable userChords;
    FretboardController controller{rig.guitar, userChords, rig.port};
    std::unique_ptr<QWidget> window;
    std::unique_ptr<FretboardView> view;
};

TEST_F(FretboardViewTest, ClickInColumnTwoWithTheNeckAtFiveSetsFretSevenAndDrawsItThere) {
    rig.guitar.neckPos = 5;
    view->pressNeck(Qt::LeftButton, 125, 60);
    EXPECT_EQ(rig.guitar.frets[2], 7);
    // The hover survives the roll refresh: the mouse still stands on string 2, column 2.
    EXPECT_EQ(view->hover().hoverString, 2);
    EXPECT_EQ(view->hoverNoteEdit->text(), QString(" D 3")); // 19 + 5 + 2 = 26
}

TEST_F(FretboardViewTest, RightDragPlucksEachStringOnceAsItEntersItsBand) {
    for (int y = 25; y <= 110; y += 3) {
        view->moveOverNeck(Qt::RightButton, Qt::NoModifier, 40, y);
        view->moveOverNeck(Qt::RightButton, Qt::NoModifier, 40, y); // jitter in the band
    }
    EXPECT_EQ(rig.NotesOn(), (std::vector<int>{64, 59, 55, 50, 45, 40}));

    rig.out.clear();
    view->moveOverNeck(Qt::RightButton, Qt::ShiftModifier, 40, 30);
    view->moveOverNeck(Qt::LeftButton | Qt::RightButton, Qt::NoModifier, 40, 45);
    EXPECT_TRUE(rig.NotesOn().empty());
}

TEST_F(FretboardViewTest, OpenStripLeftSoundsTheOpenStringRightSilencesIt) {
    rig.guitar.frets[5] = 3;
    view->pressOpenStrings(Qt::LeftButton, 9, 83); // band of string 5: 75 < y < 91
    EXPECT_EQ(rig.guitar.frets[5], 0);
    EXPECT_EQ(rig.NotesOn(), std::vector<int>{40});

    rig.out.clear();
    view->pressOpenStrings(Qt::RightButton, 9, 83);
    EXPECT_EQ(rig.guitar.frets[5], SILENT);
    EXPECT_TRUE(rig.out.sent().empty());
}

} // namespace
} // namespace cadenzo
