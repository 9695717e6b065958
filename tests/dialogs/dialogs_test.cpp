#include "app/placed_box.h"
#include "app/window_fixture.h"
#include "dialogs/edit_chords_dialog.h"
#include "dialogs/export_smf_dialog.h"
#include "dialogs/instrument_dialog.h"
#include "dialogs/register_chord_dialog.h"
#include "dialogs/up_down_arrows.h"
#include "support/song_events.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace cadenzo {
namespace {

// A chord file of the given chords: name, key letter and six frets each.
std::string ChordFile(const std::vector<std::pair<std::string, int>>& chords, const Frets& frets) {
    std::string text = std::to_string(chords.size()) + "\r\n", fretLines;
    for (const std::uint8_t f : frets)
        fretLines += std::to_string(f) + "\r\n";
    for (const auto& [name, key] : chords)
        text += name + "\r\n" + std::to_string(key) + "\r\n" + fretLines;
    return text;
}

class DialogsTest : public test::WindowTest {
protected:
    void Create(const std::string& backup = "0\r\n") {
        test::WriteBytes(folder / "backup.crd", backup), form->start({});
    }
    // A loaded machine may run the dialog's timer late.
    static bool Shows(QLineEdit* box, const char* text) {
        return QTest::qWaitFor([&] { return box->text() == QLatin1String(text); }, 2000);
    }
    QComboBox* Usr() const { return child<QComboBox>("usr"); }
    QAction* Command(const char* name) const { return child<QAction>(name); }
    void Arrow(UpDownArrows* a, int up) { (up > 0 ? a->upButton() : a->downButton())->click(); }
};

TEST_F(DialogsTest, RegisterRefusesInOrderAndChangesNothing) {
    std::vector<std::pair<std::string, int>> chords;
    for (int k = 1; k <= 31; ++k)
        chords.emplace_back("c" + std::to_string(k), 0);
    Create(ChordFile(chords, {0, 1, 0, 2, 3, 255}));
    QPointer dialog = open<RegisterChordDialog>(Command("Resist1"));
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    for (const char* name : {"New", "", "c7"})
        dialog->nameEdit()->setText(QString::fromLatin1(name)), dialog->registerButton()->click();
    EXPECT_EQ(messages,
              QStringList({"Too many Chord", "User chord name is empty", "same name exist"}));
    EXPECT_EQ(std::pair(app->userChords.userChordCount, Usr()->count()), std::pair(31, 32));
    QTest::keyClick(dialog, Qt::Key_Escape); // gone, not just hidden
    EXPECT_TRUE(form->isEnabled() && QTest::qWaitFor([&] { return dialog.isNull(); }));
}

// A rename accepted and then closed by the close box stays; key letters wait for OK, which also
// drops deleted lines. The up arrow ends where it stood when every letter above is taken.
TEST_F(DialogsTest, EditKeepsRenamesAtOnceAndAppliesKeysAndDeletionsOnOk) {
    Create(ChordFile({{"V", 22}, {"W", 23}, {"X", 24}, {"Y", 25}, {"Z", 26}}, {1, 0, 0, 0, 2, 3}));
    const Frets held{3, 3, 5, 5, 5, 3};
    app->guitar.setFrets(held);
    EditChordsDialog* dialog = open<EditChordsDialog>(Command("Edit1"));
    dialog->chordList()->setCurrentRow(0);
    EXPECT_EQ(app->guitar.currentFrets(), (Frets{1, 0, 0, 0, 2, 3})); // the preview
    Arrow(dialog->keyLetterArrows(), 1); // W, X, Y and Z are all taken: back to V
    EXPECT_TRUE(Shows(dialog->keyLetterBox(), "V"));
    Arrow(dialog->keyLetterArrows(), -1);
    dialog->nameEdit()->setText(QStringLiteral("G7/B")), dialog->acceptButton()->click();
    EXPECT_EQ(dialog->chordList()->item(0)->text() + dialog->nameEdit()->text(), "G7/B : U");
    dialog->close();
    EXPECT_EQ(std::tuple(app->userChords.userChordName[1], int(app->userChords.userChordKey[1]),
                         Usr()->itemText(1), app->guitar.currentFrets(), Usr()->currentIndex(),
                         form->isEnabled()), // not left on the previewed chord, enabled again
              std::tuple(std::string("G7/B"), 22, QString("V : V"), held, 0, true));

    dialog = open<EditChordsDialog>(Command("Edit1"));
    dialog->chordList()->setCurrentRow(1), dialog->deleteButton()->click();
    EXPECT_EQ(dialog->chordList()->item(1)->text(), QString());
    dialog->chordList()->setCurrentRow(0), Arrow(dialog->keyLetterArrows(), 1); // W is free now
    dialog->acceptButton()->click(), dialog->okButton()->click();
    QStringList items;
    for (int i = 1; i < Usr()->count(); ++i)
        items << Usr()->itemText(i);
    EXPECT_EQ(items, QStringList({"G7/B : W", "X : X", "Y : Y", "Z : Z"}));
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(DialogsTest, InstrumentListsEveryDeviceAfterAFailedOpenAndPresetsFillTheStrings) {
    recorder->failNextOpen(MidiStatus::Error), Create();
    EXPECT_EQ(warnings, QStringList({"Midi Open Error"}));
    InstrumentDialog* dialog = open<InstrumentDialog>(Command("instrument1"));
    EXPECT_EQ(std::pair(dialog->deviceList()->count(), dialog->deviceList()->itemText(2)),
              std::pair(3, QString("Recorder 2")));

    dialog->channelEdit()->setText(QStringLiteral("20")), Arrow(dialog->velocityArrows(), 1);
    EXPECT_EQ(dialog->channelEdit()->text() + " " + dialog->velocityEdit()->text(), "16 110");

    dialog->tabs()->setCurrentIndex(1);
    EXPECT_TRUE(Shows(dialog->stringBox(0), "E3"));
    dialog->presetList()->setCurrentIndex(4), emit dialog->presetList()->activated(4); // Open G
    QStringList boxes;
    for (int s = 0; s < STRING_COUNT; ++s)
        boxes << dialog->stringBox(s)->text();
    EXPECT_EQ(boxes, QStringList({"D3", "B2", "G2", "D2", "G1", "D1"}));
    Arrow(dialog->stringArrows(5), 1); // the strings sound it at once (the frets are all open)
    EXPECT_EQ(std::tuple(dialog->stringBox(5)->text(), dialog->presetList()->currentIndex(),
                         int(app->guitar.stringNote[0]), int(app->guitar.stringNote[5])),
              std::tuple(QString("D#1"), 0, 26, 3));
    // The device's failure comes up as a real box over the dialog, which stays on top.
    QWidget* boxParent = nullptr;
    form->warn = [&](const QString& t) {
        warnings << t, QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            boxParent =
                box->windowFlags() & Qt::WindowStaysOnTopHint ? box->parentWidget() : nullptr;
            box->close();
        });
        execPlacedBox(form.get(), QMessageBox::Warning, QStringLiteral("Cadenzo"), t,
                      QMessageBox::Ok);
    };
    recorder->failNextOpen(MidiStatus::NoDevice), dialog->instrumentOkButton()->click();
    EXPECT_EQ(warnings, QStringList({"Midi Open Error", "No Midi Device"}));
    EXPECT_TRUE(boxParent == dialog && form->isEnabled());

    form->close(); // what the settings file holds at close
    const std::string ini = test::ReadBytes(folder / "Cadenzo.ini");
    EXPECT_NE(ini.find("\r\n15\r\n24\r\n110\r\n0\r\n"), std::string::npos) << ini;
    EXPECT_EQ(ini.substr(ini.size() - 34), "26\r\n23\r\n19\r\n14\r\n7\r\n3\r\nRecorder 0\r\n");
}

// With the sequencer closed the Edit commands and keys stay off, also after a dialog's close.
TEST_F(DialogsTest, EditCommandsStayOffWithTheSequencerClosedAfterEveryDialog) {
    Create(), form->show();
    Song& song = app->song;
    for (const std::int32_t t : {0, 480}) // in tick order
        pushUndo(app->history, song, t, t), song.insertEvent(test::MakeEvent(t));
    undoLastEdit(app->history, song, 99), song.edit.cursorTick = 480; // one to undo, one to redo
    const auto state = [&] {
        return std::tuple(std::vector(song.songEvents.begin(), song.songEvents.begin() + 2),
                          song.eventCount, song.edit.clipMode, app->history.undoCount,
                          app->history.redoCount);
    };
    const auto before = state();
    for (const char* dialog : {"Resist1", "Edit1", "instrument1", "ColorsC1"}) {
        QTest::keyClick(open<MainWindowDialog>(Command(dialog)), Qt::Key_Escape);
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        for (const QKeyCombination key :
             {Qt::CTRL | Qt::Key_Q, Qt::CTRL | Qt::Key_D, Qt::CTRL | Qt::Key_X,
              Qt::CTRL | Qt::Key_Z, Qt::CTRL | Qt::Key_Y})
            QTest::keyClick(form.get(), key.key(), key.keyboardModifiers());
        EXPECT_EQ(state(), before) << dialog;
        QList<QAction*> commands = child<QMenu>("EditE1")->actions();
        commands.removeOne(Command("AllClearonFletQ1")); // the fretboard is always there
        commands << child<QMenu>("EditE1")->menuAction() << Command("NewSongN1")
                 << Command("LoadSong1") << Command("SaveSongasnew1") << Command("SaveSong1")
                 << Command("ExportSMFE1") << Command("ExportMusicXML1");
        for (QAction* command : commands)
            EXPECT_FALSE(command->isEnabled()) << dialog << " " << command->text().toStdString();
    }
}

// A chord registered under a key letter and recalled by it; another guitar and device hear it.
TEST_F(DialogsTest, GuitaristRegistersRecallsChangesTheInstrumentAndExports) {
    Create(ChordFile({{"Am", 1}}, {0, 1, 2, 2, 0, 255}));
    const Frets cMajor{0, 1, 0, 2, 3, 255};
    app->guitar.setFrets(cMajor);
    RegisterChordDialog* reg = open<RegisterChordDialog>(Command("Resist1"));
    for (int direction : {1, -1, 1}) // up skips the taken "A"; down skips it back to none
        Arrow(reg->keyLetterArrows(), direction);
    EXPECT_TRUE(Shows(reg->keyLetterBox(), "B"));
    reg->nameEdit()->setText(QStringLiteral("C")), reg->registerButton()->click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
    EXPECT_TRUE(form->isEnabled() && Usr()->currentText() == "C : B");

    Command("AllClearonFletQ1")->trigger(), QTest::keyClick(form.get(), Qt::Key_B, Qt::NoModifier);
    EXPECT_EQ(app->guitar.currentFrets(), cMajor);

    InstrumentDialog* setup = open<InstrumentDialog>(Command("instrument1"));
    setup->programList()->setCurrentIndex(2), setup->deviceList()->setCurrentIndex(1); // Jazz Gt.
    recorder->clear(), setup->instrumentOkButton()->click();
    EXPECT_EQ(std::pair(int(app->midiSetup.midiDevice), app->midiSetup.midiDeviceName),
              std::pair(1, std::string("Recorder 1")));
    ASSERT_FALSE(recorder->sent().empty());
    EXPECT_EQ(recorder->sent().back().message,
              packShortMsg(0xC0 | app->midiSetup.midiChannel, 26, 0));
    EXPECT_TRUE(form->isEnabled() && warnings.isEmpty()) << warnings.join("; ").toStdString();

    // The recalled chord goes into the song, which is exported and read back by mido.
    form->showSequencerPane(1), Command("Importnote1")->trigger();
    app->smfFile = folder / "path.mid";
    open<ExportSmfDialog>(Command("ExportSMFE1"))->okButton()->click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
    QProcess reader;
    reader.start("/usr/bin/python3",
                 {"-c",
                  "import mido, sys\n"
                  "for m in mido.merge_tracks(mido.MidiFile(sys.argv[1]).tracks):\n"
                  "    if m.type == 'program_change': print('program', m.channel, m.program)\n"
                  "    if m.type == 'note_on' and m.velocity: print('on', m.note, m.velocity)",
                  QString::fromStdString(app->smfFile.string())});
    ASSERT_TRUE(reader.waitForFinished(20000));
    // C major low on the first five strings, struck down (lowest first) at velocity 100.
    EXPECT_EQ(reader.readAllStandardOutput().toStdString(),
              "program 0 26\non 48 100\non 52 100\non 55 100\non 60 100\non 64 100\n");
}

} // namespace
} // namespace cadenzo
