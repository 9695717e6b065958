// "Export Audio…" of the File menu: the song rendered to a WAV or FLAC file on a worker thread,
// through the same render path as cadenzo-cli render, while the window stays in use.
#include "app/main_window.h"

#include "app/sequencer_pane.h"
#ifdef CADENZO_HAVE_AUDIO_RENDER
#include "playback/audio_render.h"
#endif

#include <QAction>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include <atomic>
#include <cctype>
#include <cmath>
#include <thread>

namespace cadenzo {

struct MainWindow::AudioExport {
    std::atomic<bool> cancel{false};
    std::atomic<int> shownSteps{0};
    std::thread worker;
    QProgressDialog* dialog = nullptr;
    // Written by the worker before it reports its end; read on the window thread after the join.
    std::string failure;
};

std::optional<MainWindow::AudioExportChoice> MainWindow::askAudioExportInDialogs() {
    QFileDialog dialog(this, QStringLiteral("Export Audio"), QString(),
                       QStringLiteral("WAV file (*.wav);;FLAC file (*.flac)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter.contains(QLatin1String("flac")) ? QStringLiteral("flac")
                                                                       : QStringLiteral("wav"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QMessageBox question(QMessageBox::Question, QStringLiteral("Export Audio"),
                         QStringLiteral("Export the song from its start or from the cursor?"),
                         QMessageBox::Cancel, this);
    QPushButton* fromStart =
        question.addButton(QStringLiteral("From the Start"), QMessageBox::AcceptRole);
    QPushButton* fromCursor =
        question.addButton(QStringLiteral("From the Cursor"), QMessageBox::AcceptRole);
    question.setDefaultButton(fromStart);
    question.exec();
    if (question.clickedButton() != fromStart && question.clickedButton() != fromCursor)
        return std::nullopt;
    return AudioExportChoice{dialog.selectedFiles().first().toStdString(),
                             question.clickedButton() == fromCursor};
}

#ifdef CADENZO_HAVE_AUDIO_RENDER

namespace {

// The rate of the built-in synthesizer's real-time output.
constexpr int EXPORT_SAMPLE_RATE = 48000;
constexpr int PROGRESS_STEPS = 1000;

// A sentence for the error box from a message of the render path, which may start in lower case.
QString sentence(std::string text) {
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (!text.empty() && text.back() != '.')
        text += '.';
    return QString::fromStdString(text);
}

} // namespace

void MainWindow::onExportAudioTriggered() {
    if (audioExport_)
        return;
    const std::optional<AudioExportChoice> choice = askAudioExport();
    if (!choice || choice->path.empty())
        return;
    if (app_.playback.transportState() != Transport::Stop)
        app_.playback.stop();

    // The worker renders a copy, so the song may be edited meanwhile.
    auto song = std::make_shared<Song>();
    {
        const std::lock_guard lock(app_.song.mutex);
        song->songEvents = app_.song.songEvents;
        song->eventCount = app_.song.eventCount;
        song->meterTable = app_.song.meterTable;
    }
    song->playTick = choice->fromCursor ? app_.song.edit.cursorTick : 0;

    auto job = std::make_shared<AudioExport>();
    job->dialog = new QProgressDialog(
        QStringLiteral("Rendering %1…").arg(QString::fromStdString(choice->path.filename())),
        QStringLiteral("Cancel"), 0, PROGRESS_STEPS, this);
    job->dialog->setObjectName(QStringLiteral("AudioProgress"));
    job->dialog->setWindowTitle(QStringLiteral("Export Audio"));
    job->dialog->setWindowModality(Qt::NonModal);
    job->dialog->setAutoReset(false);
    job->dialog->setAutoClose(false);
    job->dialog->setMinimumDuration(0);
    job->dialog->setValue(0);
    connect(job->dialog, &QProgressDialog::canceled, this, [job] { job->cancel = true; });
    job->dialog->show();
    audioExport_ = job;
    sequencerPane_->setTransportEnabled(false);
    exportAudioAction_->setEnabled(false);

    job->worker = std::thread([this, job, song, midi = MidiSetup(app_.midiSetup),
                               guitar = Guitar(app_.guitar), tempo = app_.tempo,
                               path = choice->path] {
        const PlaybackSchedule schedule = schedulePlayback(*song, midi, guitar, tempo);
        switch (schedule.outcome) {
        case PlaybackSchedule::Outcome::Complete: {
            const auto progress = [this, job](double done) {
                const int steps = static_cast<int>(std::lround(done * PROGRESS_STEPS));
                if (job->shownSteps.exchange(steps) != steps)
                    QMetaObject::invokeMethod(
                        this, [job, steps] { job->dialog->setValue(steps); }, Qt::QueuedConnection);
            };
            const AudioRenderResult result =
                renderAudioFile(schedule, {path, EXPORT_SAMPLE_RATE, {}}, progress, job->cancel);
            if (result.status == AudioRenderResult::Status::Failed)
                job->failure = result.message;
            break;
        }
        case PlaybackSchedule::Outcome::BadTempo:
            job->failure = "the tempo \"" + tempo + "\" is not a number";
            break;
        case PlaybackSchedule::Outcome::NothingToPlay:
            job->failure = "no chord lies at or after the place it starts from";
            break;
        default:
            job->failure = "the song does not end";
            break;
        }
        QMetaObject::invokeMethod(
            this, [this] { finishAudioExport(); }, Qt::QueuedConnection);
    });
}

void MainWindow::finishAudioExport() {
    if (!audioExport_)
        return;
    const std::shared_ptr<AudioExport> job = std::move(audioExport_);
    job->worker.join();
    delete job->dialog;
    sequencerPane_->setTransportEnabled(true);
    exportAudioAction_->setEnabled(true);
    if (!job->failure.empty())
        reportError(QStringLiteral("The audio was not exported. ") + sentence(job->failure));
}

void MainWindow::stopAudioExport() {
    if (!audioExport_)
        return;
    audioExport_->cancel = true;
    audioExport_->worker.join();
    audioExport_.reset();
}

#else

void MainWindow::onExportAudioTriggered() {
    reportError(QStringLiteral("This Cadenzo was built without the built-in synthesizer, which "
                               "renders the audio."));
}
void MainWindow::finishAudioExport() {}
void MainWindow::stopAudioExport() {}

#endif

} // namespace cadenzo
