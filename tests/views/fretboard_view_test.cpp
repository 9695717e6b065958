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
        FretboardView::Hooks hooks;
        hooks.playOnSetting = [this] { return playOnSetting; };
        hooks.positionLock = [this] { return positionLock; };
        hooks.recognize = [this] { ++recognized; };
        hooks.refreshRoll = [this] {
            ++rollRefreshes;
            rig.guitar.UpdateStringNotes();
            view->LeaveNeck(); // a roll refresh ends with the fretboard's LeaveNeck
        };
        view = std::make_unique<FretboardView>(window.get(), rig.guitar, rig.port, hooks);
        view->NeckScreen->setGeometry(24, 10, 236, 121);
        view->OpenGen->setGeometry(4, 30, 18, 101);
        rig.guitar.ResizeNeck(236);
        view->DrawNeck();
        rig.out.clear();
    }

    test::Rig rig;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<FretboardView> view;
    bool playOnSetting = false;
    bool positionLock = false;
    int recognized = 0;
    int rollRefreshes = 0;
};

TEST_F(FretboardViewTest, LeftClickSetsTheFretUnderTheMouseAndSilencesFirst) {
    view->NeckScreenMouseDown(Qt::LeftButton, 40, 60);
    EXPECT_EQ(rig.guitar.flet[2], 1);
    view->NeckScreenMouseDown(Qt::LeftButton, 5, 60);
    EXPECT_EQ(rig.guitar.flet[2], 0);
    EXPECT_EQ(recognized, 2);
    EXPECT_EQ(rollRefreshes, 2);
    EXPECT_EQ(rig.out.sent().size(), 256u); // two AllNoteOffs, nothing sounded
    EXPECT_TRUE(rig.NotesOn().empty());
}

TEST_F(FretboardViewTest, ClickInColumnTwoWithTheNeckAtFiveSetsFretSeven) {
    rig.guitar.neckPos = 5;
    view->NeckScreenMouseDown(Qt::LeftButton, 125, 60);
    EXPECT_EQ(rig.guitar.flet[2], 7);
}

TEST_F(FretboardViewTest, RightClickSoundsTheHeldFretWithoutChangingIt) {
    rig.guitar.flet[0] = 3;
    rig.guitar.UpdateStringNotes();
    view->NeckScreenMouseDown(Qt::RightButton, 140, 30);
    EXPECT_EQ(rig.guitar.flet[0], 3);
    ASSERT_EQ(rig.out.sent().size(), 2u);
    EXPECT_EQ(rig.out.sent()[0].message, PackShortMsg(0x80, 67, 0));
    EXPECT_EQ(rig.out.sent()[1].message, PackShortMsg(0x90, 67, 100));

    rig.out.clear();
    rig.guitar.flet[1] = SILENT;
    view->NeckScreenMouseDown(Qt::RightButton, 40, 45);
    EXPECT_TRUE(rig.out.sent().empty());
}

TEST_F(FretboardViewTest, RightDragPlucksEachStringOnceAsItEntersItsBand) {
    for (int y = 25; y <= 110; y += 3) {
        view->NeckScreenMouseMove(Qt::RightButton, Qt::NoModifier, 40, y);
        view->NeckScreenMouseMove(Qt::RightButton, Qt::NoModifier, 40, y); // jitter in the band
    }
    EXPECT_EQ(rig.NotesOn(), (std::vector<int>{64, 59, 55, 50, 45, 40}));

    rig.out.clear();
    view->NeckScreenMouseMove(Qt::RightButton, Qt::ShiftModifier, 40, 30);
    view->NeckScreenMouseMove(Qt::LeftButton | Qt::RightButton, Qt::NoModifier, 40, 45);
    EXPECT_TRUE(rig.NotesOn().empty());
}

TEST_F(FretboardViewTest, OpenStripLeftSoundsTheOpenStringRightSilencesIt) {
    rig.guitar.flet[5] = 3;
    view->OpenGenMouseDown(Qt::LeftButton, 9, 83); // band of string 5: 75 < y < 91
    EXPECT_EQ(rig.guitar.flet[5], 0);
    EXPECT_EQ(rig.NotesOn(), std::vector<int>{40});

    rig.out.clear();
    view->OpenGenMouseDown(Qt::RightButton, 9, 83);
    EXPECT_EQ(rig.guitar.flet[5], SILENT);
    EXPECT_TRUE(rig.out.sent().empty());
}

TEST_F(FretboardViewTest, ScrollingTheNeckMovesTheHeldFretsUnlessLocked) {
    rig.guitar.setFrets({0, 3, 2, 0, 1, SILENT});
    view->neckBarScroll(3);
    EXPECT_EQ(rig.guitar.frets(), (Frets{0, 5, 4, 0, 3, SILENT}));
    positionLock = true;
    view->neckBarScroll(1);
    EXPECT_EQ(rig.guitar.frets(), (Frets{0, 5, 4, 0, 3, SILENT}));
    EXPECT_EQ(rig.guitar.neckPos, 1);
}

} // namespace
} // namespace cadenzo
