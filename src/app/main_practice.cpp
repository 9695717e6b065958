// Practice playback's part of the main window: Edit -> "Loop Selection" and the "Practice" group
// of the preferences file.
#include "app/main_window.h"

#include "app/sequencer_pane.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

namespace cadenzo {

void MainWindow::createPracticeCommands() {
    editMenu_->addSeparator();
    loopSelectionAction_ = editMenu_->addAction(QStringLiteral("Loop Selection"));
    loopSelectionAction_->setObjectName(QStringLiteral("LoopSelection1"));
    connect(loopSelectionAction_, &QAction::triggered, sequencerPane_,
            &SequencerPane::loopSelection);
}

// Missing or foreign values fall back to the defaults or are held to their ranges.
void MainWindow::loadPracticePreferences(QSettings& preferences) {
    const Practice defaults;
    preferences.beginGroup(QStringLiteral("Practice"));
    const auto number = [&](const char* key, int fallback) {
        bool ok = false;
        const int value = preferences.value(QLatin1String(key), fallback).toInt(&ok);
        return ok ? value : fallback;
    };
    Practice p;
    p.loop = preferences.value(QStringLiteral("loop"), defaults.loop).toBool();
    p.loopFirstBar = number("loopFirstBar", defaults.loopFirstBar);
    p.loopLastBar = number("loopLastBar", defaults.loopLastBar);
    p.countIn = preferences.value(QStringLiteral("countIn"), defaults.countIn).toBool();
    p.metronome = preferences.value(QStringLiteral("metronome"), defaults.metronome).toBool();
    p.clickVelocity = static_cast<std::uint8_t>(
        std::clamp(number("clickVelocity", defaults.clickVelocity), 1, 127));
    p.speedPercent = number("speed", defaults.speedPercent);
    preferences.endGroup();
    app_.playback.setPractice(p);
    sequencerPane_->showPractice();
}

void MainWindow::savePracticePreferences(QSettings& preferences) {
    const Practice p = app_.playback.practice();
    preferences.beginGroup(QStringLiteral("Practice"));
    preferences.setValue(QStringLiteral("loop"), p.loop);
    preferences.setValue(QStringLiteral("loopFirstBar"), p.loopFirstBar);
    preferences.setValue(QStringLiteral("loopLastBar"), p.loopLastBar);
    preferences.setValue(QStringLiteral("countIn"), p.countIn);
    preferences.setValue(QStringLiteral("metronome"), p.metronome);
    preferences.setValue(QStringLiteral("clickVelocity"), p.clickVelocity);
    preferences.setValue(QStringLiteral("speed"), p.speedPercent);
    preferences.endGroup();
}

} // namespace cadenzo
