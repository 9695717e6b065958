#include "model/user_chords.h"
#include "sound/midi_port.h"
#include "sound/recording_midi_out.h"
#include "support/test_app.h"
#include "views/fretboard_view.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace cadenzo {
namespace {

// Wired as in the window: a change redraws the fretboard, the roll refresh clears the hover.
class FretboardViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        guitar.setTuning(standardTuning), guitar.updateStringNotes(), port.midiOpen();
        view = std::make_unique<FretboardView>(&window, guitar, controller);
        QObject::connect(view.get(), &FretboardView::guitarChanged,
                         [this](const GuitarChange& change) {
                             view->showChange(change);
                             if (change.roll)
                                 view->clearNeckHover();
                         });
        view->neckArea->setGeometry(24, 10, 236, 121);
        view->openStringsArea->setGeometry(4, 30, 18, 101);
        guitar.resizeNeck(236), view->drawNeck(), out.clear();
    }
    std::vector<int> NotesOn() const {
        std::vector<int> notes;
        for (const auto& m : out.sent())
            if ((m.status() & 0xF0) == 0x90)
                notes.push_back(m.data1());
        return notes;
    }

    QApplication& qapp = test::App(); // before the first widget
    Guitar guitar;
    MidiSetup setup;
    RecordingMidiOut out;
    MidiPort port{out, setup};
    UserChordTable userChords;
    FretboardController controller{guitar, userChords, port};
    QWidget window;
    std::unique_ptr<FretboardView> view;
};

TEST_F(FretboardViewTest, RightDragPlucksEachStringOnceAsItEntersItsBand) {
    for (int y = 25; y <= 110; y += 3)
        for (int jitter = 0; jitter < 2; ++jitter)
            view->moveOverNeck(Qt::RightButton, Qt::NoModifier, 40, y);
    EXPECT_EQ(NotesOn(), (std::vector<int>{64, 59, 55, 50, 45, 40}));
    out.clear(), view->moveOverNeck(Qt::RightButton, Qt::ShiftModifier, 40, 30);  // no pluck
    view->moveOverNeck(Qt::LeftButton | Qt::RightButton, Qt::NoModifier, 40, 45); // nor here
    EXPECT_TRUE(NotesOn().empty());
}

TEST_F(FretboardViewTest, OpenStripLeftSoundsTheOpenStringRightSilencesIt) {
    guitar.frets[5] = 3, view->pressOpenStrings(Qt::LeftButton, 9, 83); // string 5: 75 < y < 91
    EXPECT_EQ(std::pair(int(guitar.frets[5]), NotesOn()), std::pair(0, std::vector<int>{40}));
    out.clear(), view->pressOpenStrings(Qt::RightButton, 9, 83);
    EXPECT_TRUE(guitar.frets[5] == SILENT && out.sent().empty());
}

} // namespace
} // namespace cadenzo
