// The sequencer pane's wiring in the main window, and one song entered, saved, loaded and played.
#include "app/sequencer_pane.h"
#include "app/window_fixture.h"
#include "seq/seq_geometry.h"
#include "support/song_events.h"
#include "support/widget_util.h"
#include "views/fretboard_view.h"
#include "views/sequence_view.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <tuple>

namespace cadenzo {
namespace {

class PaneTest : public test::WindowTest {
protected:
    void SetUp() override {
        form->start({}), form->showSequencerPane(1);
        pane = child<SequencerPane>("sequencerPane");
    }
    void ClickButton(const char* name) { test::click(child(name), {5, 5}); }
    void ClickArrow(const char* name) { test::click(child<QToolButton>(name), {3, 3}); }
    // A click one pixel right of tick t's line (the first grid line lies left of snapping pixels).
    void ClickAt(std::int32_t tick, int y) {
        SeqMouseContext c{app->song, app->history, app->eventFields, app->seqMouse};
        const int x = tickToX(app->song.meterTable, viewOf(app->song.edit), tick) + 1;
        pane->applyMouseResult(pressSequence(c, MouseButton::Left, LEFT_HELD, x, y));
        pane->applyMouseResult(releaseSequence(c, MouseButton::Left, 0, x, y));
    }
    // `pop<item+1>` of the menu of `l_step`.
    void ChooseStep(int item) {
        pane->openPopupFrom(PopupSource::Step);
        child<QAction>(("pop" + std::to_string(item + 1)).c_str())->trigger();
    }

    SequencerPane* pane = nullptr;
};

TEST_F(PaneTest, FieldsApplyOnLeavingEnterMovesOnAndDeleteWorksFromAField) {
    app->song.insertEvent(test::MakeEvent(0, {0, 1, 0, 2, 3, 0}, 80, 240));
    app->song.insertEvent(test::MakeEvent(480, {0, 1, 0, 2, 3, 0}, 100, 240));
    app->song.sortEvents();
    auto *vel = child<QLineEdit>("e_vel"), *gate = child<QLineEdit>("e_gate");
    EXPECT_FALSE(vel->isEnabled()) << "nothing is selected yet";
    ClickButton("backtop");
    EXPECT_EQ(vel->text(), QString("80")) << "Top moves the cursor onto the first event";

    SeqMouseContext c{app->song, app->history, app->eventFields, app->seqMouse};
    pane->applyMouseResult(pressSequence(c, MouseButton::Left, LEFT_HELD, 55, 40));
    pane->applyMouseResult(moveOverSequence(c, LEFT_HELD, 103, 40)); // tick 480 at zoom 2
    pane->applyMouseResult(releaseSequence(c, MouseButton::Left, 0, 103, 40));
    ASSERT_EQ(app->song.edit.cursorTick, 480);
    EXPECT_TRUE(vel->isEnabled() && vel->text().isEmpty() && gate->text() == "240")
        << "80 and 100 differ";

    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    vel->setFocus(), QTest::keyClicks(vel, "300"), QTest::keyClick(vel, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), gate);
    const auto velocities = [this] {
        return std::vector<int>{app->song.songEvents[0].velocity, app->song.songEvents[1].velocity};
    };
    EXPECT_EQ(vel->text(), QString("127"));
    EXPECT_EQ(velocities(), (std::vector<int>{127, 127}));

    // The window sees Delete before the field that has the focus.
    QTest::keyClick(gate, Qt::Key_Delete);
    EXPECT_EQ(std::pair(app->song.eventCount, gate->isEnabled()), std::pair(0u, false));

    // The song's Undo and both redo keys pass over the text undo of the field with the focus.
    auto* tempo = child<QLineEdit>("tempo");
    tempo->setFocus(), QTest::keyClick(tempo, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(app->song.eventCount, 2u);
    EXPECT_EQ(velocities(), (std::vector<int>{127, 127}));
    QTest::keyClick(tempo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(velocities(), (std::vector<int>{80, 100}));
    QTest::keyClick(tempo, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(velocities(), (std::vector<int>{127, 127}));
    QTest::keyClick(tempo, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(app->song.eventCount, 0u);
}

TEST_F(PaneTest, TransportTempoPlayLinePagesAndTheWidthRule) {
    EXPECT_TRUE(child("play_button")->isVisible() && !child("play_on_button")->isVisible());
    app->song.insertEvent(test::MakeEvent(0, {0, 1, 0, 2, 3, 0}, 100, 240));
    app->song.insertEvent(test::MakeEvent(7680, {0, 1, 0, 2, 3, 0}, 100, 240));
    app->song.sortEvents();

    auto* tempo = child<QLineEdit>("tempo");
    tempo->selectAll(), QTest::keyClicks(tempo, "fast");
    ClickButton("play_button");
    ASSERT_EQ(warnings.size(), 1) << "a tempo that is not a number is reported";
    EXPECT_EQ(app->playback.transportState(), Transport::Stop);
    ClickArrow("tempoUD_up");
    EXPECT_EQ(tempo->text(), QString("121")) << "the up-down goes on from its last position";
    tempo->selectAll(), QTest::keyClicks(tempo, "999");

    ClickButton("play_button");
    EXPECT_EQ(std::pair(tempo->text(), child<QLabel>("StatusPanel3")->text()),
              std::pair(QString("300"), QString("PLAY")))
        << "the box shows the tempo that plays";
    EXPECT_TRUE(!child("play_button")->isVisible() && child("play_on_button")->isVisible());
    // At zoom 2 the line (x = 55 + tick / 10) leaves the 327-px view in bar 2: it pages there.
    for (int i = 0; i < 200 && child<QScrollBar>("seqBar")->value() == 0; ++i)
        clock->fire(5), pane->followPlayLine();
    EXPECT_EQ(std::pair(child<QScrollBar>("seqBar")->value(), int(app->song.edit.viewStartTick)),
              std::pair(1, 1920));

    pane->stopClick(); // a click whose press went elsewhere
    EXPECT_FALSE(clock->running()) << "Stop always stops the timer";
    EXPECT_EQ(app->song.edit.viewBar, 1) << "Stop leaves the view where it is";
    ClickButton("backtop");
    EXPECT_EQ(std::pair(child<QScrollBar>("seqBar")->value(), int(app->song.edit.viewStartTick)),
              std::pair(0, 0));

    form->resize(800, form->height()), QApplication::processEvents();
    EXPECT_EQ(std::vector<int>({pane->view()->width(), child("seqBar")->width(),
                                child<QScrollBar>("seqBar")->maximum()}),
              std::vector<int>({705, 593, 99}));
    form->showSequencerPane(0);
    EXPECT_FALSE(pane->isVisible());
}

// One short song typed in, saved, loaded and played; its bytes built here from the file layout.
TEST_F(PaneTest, FourBarsEnteredSavedLoadedAndPlayed) {
    const auto chooseRoot = [this](int root) {
        child<QComboBox>("Chord1")->setCurrentIndex(root);
        form->onChordRootChanged();
        return app->guitar.currentFrets();
    };
    const Frets c = chooseRoot(1); // " C"
    ChooseStep(2);                 // a quarter note
    for (int i = 0; i < 4; ++i)
        ClickButton("SeqSetBtn");
    ASSERT_EQ(app->song.edit.cursorTick, 1920);
    auto* numerator = child<QComboBox>("hyoshi1");
    numerator->setCurrentIndex(2); // 3/4 from bar 2
    emit numerator->activated(2);
    ChooseStep(0);                 // one bar
    const Frets g = chooseRoot(8); // " G"
    for (int i = 0; i < 3; ++i)
        ClickButton("SeqSetBtn"); // 1920, 3360, 4800
    ASSERT_EQ(app->song.eventCount, 7u);

    // A velocity line along the top of the lane over bar 1, with the view scrolled back there.
    auto* scroll = child<QScrollBar>("seqBar");
    scroll->setValue(0);
    SeqMouseContext lane{app->song, app->history, app->eventFields, app->seqMouse};
    pane->applyMouseResult(moveOverSequence(lane, 0, 50, 90));
    pane->applyMouseResult(pressSequence(lane, MouseButton::Left, LEFT_HELD, 50, 90));
    pane->applyMouseResult(moveOverSequence(lane, LEFT_HELD, 200, 90));
    pane->applyMouseResult(releaseSequence(lane, MouseButton::Left, 0, 200, 90));

    scroll->setValue(3); // bar 4 in view
    ASSERT_EQ(app->song.edit.viewStartTick, 4800);
    ClickAt(4800, 40), child<QAction>("CutX1")->trigger(); // the last chord, a beat later
    ClickAt(5280, 40), child<QAction>("PasteV1")->trigger();
    EXPECT_TRUE(child("e_vel")->isEnabled()) << "the fields show the pasted chord";
    // A wrong chord over the pasted one, taken back.
    form->fretboardView().pressNeck(Qt::LeftButton, 130, 45);
    ASSERT_NE(app->guitar.currentFrets(), g);
    ClickButton("SeqSetBtn");
    EXPECT_EQ(app->song.songEvents[6].frets, app->guitar.currentFrets());
    child<QAction>("UndoZ1")->trigger();
    const Frets frets = app->guitar.currentFrets();

    std::string want = "CZ0200";
    const auto u32 = [&want](std::uint32_t v) {
        want += {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    u32(7);
    want += "\xFENAMsample\xFETMP120" + std::string(1, '\0') + "\xFEPRG" +
            std::string("\x00\x18\x18\x64", 4) + "\xFENOT";
    const std::tuple<std::uint32_t, Frets, int, int> events[] = {
        {0, c, 127, 1},    {480, c, 127, 1},  {960, c, 127, 1}, {1440, c, 127, 1},
        {1920, g, 100, 8}, {3360, g, 100, 8}, {5280, g, 100, 8}};
    for (const auto& [tick, f, velocity, root] : events) { // down strokes: each on a beat
        u32(tick);
        want += std::string(f.begin(), f.end()) + char(velocity) + '\0';
        for (const int v : {240, 0, 60, root})
            u32(std::uint32_t(v));
    }
    want += "\xFEMET" + std::string("\x04\x04\x00\x00\x00\x00\x03\x04\x02\x00\x00\x00", 12) +
            "\xFE" + "FLT";
    for (int s = 0; s < 6; ++s)
        want += {static_cast<char>(standardTuning[s]), static_cast<char>(frets[s])};
    want += std::string("\xFE") + "END";

    const auto path = folder / "four bars.cz0";
    form->saveSongFile(path);
    EXPECT_EQ(std::pair(child<QLabel>("StatusPanel3")->text(), test::ReadBytes(path)),
              std::pair(QString("Saved."), want));

    form->onNewSongTriggered(), child<QAction>("AllClearonFletQ1")->trigger();
    EXPECT_EQ(app->song.eventCount, 0u);
    form->openFileByName(QString::fromStdString(path.string()));
    ASSERT_EQ(app->song.eventCount, 7u);
    EXPECT_EQ(child<QLabel>("StatusPanel3")->text(), QString("Loaded."));
    EXPECT_EQ(app->guitar.currentFrets(), frets); // the cleared neck comes back
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join("; ").toStdString();

    ClickButton("backtop"), recorder->clear(), ClickButton("play_button");
    clock->fire(4000); // 7680 ticks at 1.92 per callback: past the last gate
    std::vector<std::pair<int, int>> heard, expected;
    int offs = 0;
    for (const auto& m : recorder->sent()) {
        if ((m.status() & 0xF0) == 0x90)
            heard.push_back({m.data1(), m.data2()});
        offs += (m.status() & 0xF0) == 0x80;
    }
    for (const auto& [tick, f, velocity, root] : events)
        for (int s = 5; s >= 0; --s) // down strokes from the lowest string
            if (f[s] != SILENT)
                expected.push_back({standardTuning[s] + 36 + f[s], velocity});
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(offs, static_cast<int>(expected.size())) << "each string released once";
}

} // namespace
} // namespace cadenzo
