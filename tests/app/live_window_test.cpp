// The strum keys and File → "Recent Songs" in the window, and their preferences across runs.
#include "app/window_fixture.h"
#include "support/song_events.h"

#include <QMenu>
#include <QTest>

#include <filesystem>

namespace cadenzo {
namespace {

using LiveWindowTest = test::WindowTest;

// Held rings, released silences, a repeated press strikes once: the buttons' strummer.
TEST_F(LiveWindowTest, StrumKeysRingWhileHeldLikeTheButtons) {
    form->start({});
    app->guitar.setFrets({0, 1, 0, 2, 3, 0}), app->guitar.updateStringNotes(), recorder->clear();
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
    const auto heard = [this] { // note-ons, and 0 for each silence
        std::string text;
        clock->fire(8);
        for (const auto& s : recorder->sent())
            if (s.status() == 0x90 || s.data1() == 0)
                text += " " + std::to_string(s.status() == 0x90 ? s.data1() : 0);
        return recorder->clear(), text;
    };
    QTest::keyPress(target, Qt::Key_F6);
    QTest::keyPress(target, Qt::Key_F6, Qt::NoModifier, -1); // auto-repeat while held
    EXPECT_EQ(heard(), " 0 64 60 55 52 48 40");
    QTest::keyRelease(target, Qt::Key_F6);
    EXPECT_EQ(heard(), " 0");
    QTest::keyPress(target, Qt::Key_F5), QTest::keyPress(target, Qt::Key_F7);
    EXPECT_EQ(heard(), " 0 0 40 48 52 55 60 64") << "mute, then the stroke already running";
}

TEST_F(LiveWindowTest, RecentSongsListTheLastEightMissingOnesGreyedAndOutliveTheRun) {
    form->start({});
    for (int i = 0; i < 9; ++i)
        ASSERT_TRUE(form->saveSongFile(folder / ("s" + std::to_string(i) + ".cz0")));
    const auto items = [this] {
        auto* menu = child<QMenu>("RecentSongs1");
        QStringList shown;
        emit menu->aboutToShow();
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->objectName().isEmpty())
                shown << QFileInfo(a->text()).baseName() + (a->isEnabled() ? "" : "-");
        return shown.join(' ').toStdString();
    };
    EXPECT_EQ(items(), "s8 s7 s6 s5 s4 s3 s2 s1");
    std::filesystem::remove(folder / "s5.cz0"), std::filesystem::remove(folder / "s2.cz0");
    EXPECT_EQ(items(), "s8 s7 s6 s5- s4 s3 s2- s1");
    child<QAction>("RemoveMissing1")->trigger();
    EXPECT_EQ(items(), "s8 s7 s6 s4 s3 s1");
    saveAnswer = MainWindow::SaveChoice::Cancel;
    app->song.insertEvent(test::MakeEvent(0, {0, 1, 0, 2, 3, 0}, 100, 240)); // asks first
    child<QMenu>("RecentSongs1")->actions()[4]->trigger();
    EXPECT_EQ(std::pair(questions.size(), items()),
              std::pair(qsizetype(1), std::string("s8 s7 s6 s4 s3 s1")));
    saveAnswer = MainWindow::SaveChoice::Discard;
    child<QMenu>("RecentSongs1")->actions()[4]->trigger();
    EXPECT_EQ(items(), "s3 s8 s7 s6 s4 s1");
    app->liveInput.controls[1] = {LiveControl::Kind::Controller, 64};
    form->strumKeys[2] = Qt::Key_End;
    form->close(), app->liveInput.controls = {}, NewForm(), form->start({});
    EXPECT_EQ(std::tuple(items(), app->liveInput.controls[1], form->strumKeys[2]),
              std::tuple("s3 s8 s7 s6 s4 s1", LiveControl{LiveControl::Kind::Controller, 64},
                         Qt::Key_End));
}

} // namespace
} // namespace cadenzo
