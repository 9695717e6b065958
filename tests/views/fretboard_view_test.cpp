#include "view_fixture.h"
#include "views/fretboard_view.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace cadenzo {
namespace {

using test::Rgb;

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

    QRgb Neck(int x, int y) { return view->NeckScreen->picture().pixel(x, y); }
    QRgb Open(int x, int y) { return view->OpenGen->picture().pixel(x, y); }

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

TEST_F(FretboardViewTest, ClickOutsideTheStringRowsChangesNoFret) {
    const Frets before = rig.guitar.frets();
    view->NeckScreenMouseDown(Qt::LeftButton, 40, 22);
    view->NeckScreenMouseDown(Qt::LeftButton, 40, 113);
    EXPECT_EQ(rig.guitar.frets(), before);
    EXPECT_EQ(rig.out.sent().size(), 256u);
}

TEST_F(FretboardViewTest, ClickInColumnTwoWithTheNeckAtFiveSetsFretSevenAndDrawsItThere) {
    rig.guitar.neckPos = 5;
    view->NeckScreenMouseDown(Qt::LeftButton, 125, 60);
    EXPECT_EQ(rig.guitar.flet[2], 7);
    // The mark is a cyan disc with a blue rim in the box (125, 53)-(138, 66).
    EXPECT_EQ(Neck(131, 59), Rgb(0, 255, 255));
    EXPECT_EQ(Neck(125, 59), Rgb(0, 0, 255));
    EXPECT_EQ(Neck(131, 53), Rgb(0, 0, 255));
    EXPECT_NE(Neck(138, 59), Rgb(0, 0, 255));
    EXPECT_NE(Neck(124, 59), Rgb(0, 0, 255));
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

TEST_F(FretboardViewTest, PlayOnSettingSoundsTheNewlySetFret) {
    playOnSetting = true;
    view->NeckScreenMouseDown(Qt::LeftButton, 140, 30); // string 0, column 2: fret 3
    rig.guitar.UpdateStringNotes();
    EXPECT_EQ(rig.NotesOn(), std::vector<int>{64 + 3});
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

TEST_F(FretboardViewTest, OpenAndSilentMarksAreDrawnInTheStrip) {
    rig.guitar.setFrets({0, SILENT, 2, 2, 0, 0});
    view->DrawNeck();
    // Open circle of string 0 in (4, 4)-(17, 16): its left rim at mid-height, white inside.
    EXPECT_EQ(Open(4, 10), Rgb(0, 0, 0));
    EXPECT_EQ(Open(10, 10), Rgb(255, 255, 255));
    // The X of string 1: from (5, 19) towards (15, 31), end point left undrawn.
    EXPECT_EQ(Open(5, 19), Rgb(0, 0, 0));
    EXPECT_EQ(Open(14, 19), Rgb(0, 0, 0));
    EXPECT_EQ(Open(15, 31), Rgb(255, 255, 255));
    // A fretted string has neither mark.
    EXPECT_EQ(Open(4, 40), Rgb(255, 255, 255));
    EXPECT_EQ(Open(10, 40), Rgb(255, 255, 255));
}

TEST_F(FretboardViewTest, HoverLineAndLeavingTheNeck) {
    view->NeckScreenMouseMove(Qt::NoButton, Qt::NoModifier, 90, 45);
    EXPECT_EQ(view->playnote->text(), QString(" C#3")); // string 1, column 1: 23 + 2 = 25
    view->DrawNeck();
    EXPECT_EQ(Neck(100, 45), Rgb(255, 0, 0));
    EXPECT_EQ(Neck(100, 46), Rgb(255, 0, 0));
    EXPECT_NE(Neck(100, 47), Rgb(255, 0, 0));
    EXPECT_NE(Neck(235, 45), Rgb(255, 0, 0)); // the line stops one short of the right edge

    view->LeaveNeck();
    EXPECT_TRUE(view->playnote->text().isEmpty());
    EXPECT_NE(Neck(100, 45), Rgb(255, 0, 0));
}

TEST_F(FretboardViewTest, NeckFrameLeavesTheLeftEdgeOpenBelowRowTwenty) {
    EXPECT_EQ(Neck(0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(Neck(0, 20), Rgb(0, 0, 0));
    EXPECT_NE(Neck(0, 60), Rgb(0, 0, 0));
    EXPECT_EQ(Neck(235, 60), Rgb(0, 0, 0));
    EXPECT_EQ(Neck(100, 120), Rgb(0, 0, 0));
}

TEST_F(FretboardViewTest, NeckBackgroundHasDotsNumbersAndStrings) {
    const QImage& neck = view->neckImage();
    EXPECT_EQ(neck.width(), 1250);
    EXPECT_EQ(neck.pixel(130, 68), Rgb(0, 0, 0));      // fret 3 dot
    EXPECT_EQ(neck.pixel(586, 46), Rgb(0, 0, 0));      // fret 12, upper dot
    EXPECT_EQ(neck.pixel(586, 90), Rgb(0, 0, 0));      // fret 12, lower dot
    EXPECT_EQ(neck.pixel(15, 10), Rgb(255, 255, 255)); // white room above the wood
    bool purple = false;
    for (int x = 25; x < 50; ++x)
        for (int y = 3; y < 19; ++y)
            purple = purple || neck.pixel(x, y) == Rgb(128, 0, 128);
    EXPECT_TRUE(purple) << "the fret number keeps a purple shadow";
    EXPECT_NE(neck.pixel(30, 30), neck.pixel(30, 33)); // a string row on the wood
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
