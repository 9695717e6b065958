#include "playback/playback.h"

#include "seq/seq_geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <mutex>

namespace cadenzo {

namespace {

// The play line is drawn when the rounded position is a multiple of this.
constexpr std::int64_t LINE_RASTER = 5;

} // namespace

TransportView transportViewOf(Transport state) {
    switch (state) {
    case Transport::Play:
        return {false, true, false, "PLAY"};
    case Transport::Pause:
        return {false, false, true, "PAUSE"};
    case Transport::Stop:
        break;
    }
    return {true, false, false, "STOP"};
}

PlaybackEngine::PlaybackEngine(Song& song, MidiPort& port, const Guitar& guitar, Timer& timer)
    : song_(song), port_(port), guitar_(guitar), timer_(timer) {}

PlaybackEngine::~PlaybackEngine() {
    stopPlayTimer();
}

void PlaybackEngine::tickCallback(void* user) {
    static_cast<PlaybackEngine*>(user)->playOneTick();
}

void PlaybackEngine::notifyTransport(Transport state) {
    listener_->transportChanged(state);
}

void PlaybackEngine::setTransport(Transport state) {
    {
        std::lock_guard lock(song_.mutex);
        transport_ = state;
        // Under the lock, so no tick can strike a note after the silence.
        if (state != Transport::Play)
            port_.allNoteOff();
    }
    notifyTransport(state);
}

std::uint32_t PlaybackEngine::seekEvent(std::int32_t tick) {
    playPos_ = tick;
    const auto wanted = static_cast<std::uint32_t>(tick);
    const std::uint32_t count = std::min<std::uint32_t>(song_.eventCount, MAX_EVENTS);
    for (std::uint32_t i = 0; i <= count; ++i) {
        const SongEvent& e = song_.songEvents[i];
        if (!e.isEnd() && e.tick >= wanted)
            return i;
    }
    return count + 1;
}

bool PlaybackEngine::parseTempo(std::string_view text, int& tempo) {
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc{} || end != last || first == last)
        return false;
    tempo = std::clamp(value, MIN_TEMPO, MAX_TEMPO);
    return true;
}

PlaybackEngine::StartResult PlaybackEngine::start(std::string_view tempoText) {
    if (playTimerId_ != 0 || playPeriod_ != 0)
        return StartResult::Running;
    int scrollTo = 0;
    {
        std::lock_guard lock(song_.mutex);
        const std::int32_t start = song_.playTick;
        playIndex_ = seekEvent(start);
        if (playIndex_ > std::min<std::uint32_t>(song_.eventCount, MAX_EVENTS))
            return StartResult::NothingToPlay;
        // Checked before anything is sent or shown, so a bad tempo changes nothing.
        int tempo = 0;
        if (!parseTempo(tempoText, tempo))
            return StartResult::BadTempo;

        Timer::Caps caps;
        if (timer_.getDevCaps(caps))
            playPeriod_ = std::min(std::max<std::uint32_t>(2, caps.periodMin), caps.periodMax);
        port_.programChange();
        transport_ = Transport::Play;
        scrollTo = song_.barAtOrAfter(start) - 2;
        const std::uint32_t period = playPeriod_;
        const std::int64_t product = std::int64_t{tempo} * period;
        playIncrement_ = static_cast<double>(product) * 0.001 * 480 / 60;
        playStep_ = 0;
        struckOn_.fill(NOT_STRUCK);
        holdPlace();
        // The lock is held until the id is stored, so the first tick sees it.
        if (period != 0) {
            timer_.beginPeriod(period);
            playTimerId_ = timer_.setEvent(period, period, &tickCallback, this);
        }
    }
    notifyTransport(Transport::Play);
    listener_->scrollSequence(scrollTo);
    return StartResult::Started;
}

void PlaybackEngine::stopPlayTimer() {
    if (const std::uint32_t id = playTimerId_.exchange(0); id != 0)
        timer_.killEvent(id);
    if (const std::uint32_t period = playPeriod_.exchange(0); period != 0)
        timer_.endPeriod(period);
}

void PlaybackEngine::sendStringOff(const SongEvent& e, int s) {
    // A string struck before the channel was changed is ended on the channel it sounds on; one
    // the gate cut off before its turn gets its note-off on the current channel.
    const std::uint8_t channel =
        struckOn_[s] == NOT_STRUCK ? port_.setup().midiChannel.load() : struckOn_[s];
    struckOn_[s] = NOT_STRUCK;
    // An out-of-range note (a foreign file's fret and tuning) is never sent: noteOut drops it.
    port_.noteOut(0, channel, stringMidiNote(e.frets[s], guitar_.tuning[s]), 0);
}

void PlaybackEngine::playOneTick() {
    std::lock_guard lock(song_.mutex);
    if (song_.listChanges != placeChanges_)
        findPlace();
    if (transport_ == Transport::Pause)
        return;

    playPos_ += playIncrement_;
    // nearbyint rounds halves to even in the default rounding mode.
    const auto rounded = static_cast<std::int64_t>(std::nearbyint(playPos_));
    const auto cur = static_cast<std::uint32_t>(rounded);

    const std::uint32_t count = std::min<std::uint32_t>(song_.eventCount, MAX_EVENTS);
    if (playIndex_ > count) {
        // The list ends before the event being played (edited away): the timer stops, the
        // transport stays as it is.
        stopPlayTimer();
        return;
    }
    const std::uint8_t channel = port_.setup().midiChannel;

    // Release: every audible string of the event, sounded yet or not.
    {
        const SongEvent& e = song_.songEvents[playIndex_];
        if (!e.isEnd() && cur >= e.tick + static_cast<std::uint32_t>(e.gate)) {
            for (int s = 0; s < STRING_COUNT; ++s)
                if (e.frets[s] != SILENT)
                    sendStringOff(e, s);
            playStep_ = 0;
            ++playIndex_;
        }
    }

    // Strum: at most one string per callback; silent strings pass in the same callback.
    {
        const SongEvent& e = song_.songEvents[playIndex_];
        if (!e.isEnd() && e.tick < cur && playStep_ < 6) {
            const std::uint32_t slotTick =
                e.tick + static_cast<std::uint32_t>((e.strokeTime / 6) * playStep_);
            if (cur > slotTick) {
                for (;;) {
                    ++playStep_;
                    if (playStep_ >= 7)
                        break;
                    int s = playStep_ - 1;
                    // Only 1 is an up stroke; any other value plays down, as the view draws it.
                    if (e.strokeDir != 1)
                        s = 5 - s;
                    if (e.frets[s] == SILENT)
                        continue;
                    port_.noteOut(1, channel, stringMidiNote(e.frets[s], guitar_.tuning[s]),
                                  e.velocity);
                    struckOn_[s] = channel;
                    break;
                }
            }
        }
    }

    // Play line: every 5 ticks, or at once after an edit. Only the position is published; the
    // window turns it into pixels and page turns on its own thread.
    if (rounded % LINE_RASTER == 0 || playRedraw_.load(std::memory_order_relaxed) == 1) {
        const std::uint64_t serial = (playLine_.load(std::memory_order_relaxed) >> 32) + 1;
        playLine_.store((serial << 32) | static_cast<std::uint32_t>(rounded),
                        std::memory_order_release);
    }
    playRedraw_.store(0, std::memory_order_relaxed);
    holdPlace();
}

PlayLinePosition PlaybackEngine::playLine() const {
    const std::uint64_t packed = playLine_.load(std::memory_order_acquire);
    return {static_cast<std::int32_t>(static_cast<std::uint32_t>(packed)),
            static_cast<std::uint32_t>(packed >> 32)};
}

void PlaybackEngine::holdPlace() {
    placeChanges_ = song_.listChanges;
    hasSounding_ = false;
    const std::uint32_t count = std::min<std::uint32_t>(song_.eventCount, MAX_EVENTS);
    const SongEvent* e = playIndex_ <= count ? &song_.songEvents[playIndex_] : nullptr;
    if (e == nullptr || e->isEnd()) {
        // Past the last event: whatever an edit puts ahead of the position still plays.
        resumeTick_ = static_cast<std::uint32_t>(std::max(0.0, std::nearbyint(playPos_)));
    } else if (playStep_ > 0) {
        // The event is sounding: it goes on if the edit leaves it standing, else it ends.
        sounding_ = *e;
        hasSounding_ = true;
        resumeTick_ = e->tick + 1;
    } else {
        // Not struck yet: it (or whatever stands at its tick after the edit) plays in turn.
        resumeTick_ = e->tick;
    }
}

void PlaybackEngine::findPlace() {
    if (hasSounding_) {
        const int kept = song_.findEvent(sounding_.signedTick());
        if (kept >= 0 && song_.songEvents[kept].frets == sounding_.frets &&
            song_.songEvents[kept].strokeDir == sounding_.strokeDir) {
            // Still standing (perhaps in another slot): its strum and release continue.
            playIndex_ = static_cast<std::uint32_t>(kept);
            return;
        }
        for (int s = 0; s < STRING_COUNT; ++s)
            if (sounding_.frets[s] != SILENT)
                sendStringOff(sounding_, s);
    }
    const double pos = playPos_;
    const std::uint32_t count = std::min<std::uint32_t>(song_.eventCount, MAX_EVENTS);
    // Nothing left ahead: rest on the end marker, where the tick runs on as after the last event
    // (and a later edit that puts events ahead finds them from the position).
    playIndex_ = std::min(seekEvent(static_cast<std::int32_t>(resumeTick_)), count);
    playPos_ = pos; // seekEvent moves the position; the edit must not
    playStep_ = 0;
}

void PlaybackEngine::locateTo(std::int32_t tick) {
    bool nothingAfter = false;
    {
        std::lock_guard lock(song_.mutex);
        port_.allNoteOff();
        song_.playTick = tick;
        playIndex_ = seekEvent(tick);
        playStep_ = 0;
        struckOn_.fill(NOT_STRUCK);
        holdPlace();
        nothingAfter = playIndex_ > std::min<std::uint32_t>(song_.eventCount, MAX_EVENTS);
    }
    PlaybackListener& ui = *listener_;
    ui.clearDragLine();
    if (nothingAfter) {
        stopPlayTimer(); // first: a tick between the silence and the stop would strike a note
        setTransport(Transport::Stop);
    }
    ui.redrawSequence();
}

void PlaybackEngine::stop() {
    // Stop always stops the timer, also when no press came first (a key, or a click whose press
    // went elsewhere). The view is left where it is: it is scrolled only through its scroll bar.
    stopPlayTimer();
    port_.allNoteOff();
    setTransport(Transport::Stop);
    listener_->redrawSequence();
}

void PlaybackEngine::backToTop() {
    // The timer stops before the silence: a tick in between would strike a note after it.
    stopPlayTimer();
    setTransport(Transport::Stop);
    PlaybackListener& ui = *listener_;
    song_.playTick = 0;
    ui.scrollSequence(0);
    {
        std::lock_guard lock(song_.mutex);
        playIndex_ = seekEvent(0);
    }
    song_.edit.anchorTick = 0;
    song_.edit.cursorTick = 0;
    ui.redrawSequence();
}

void PlaybackEngine::togglePlay(std::string_view tempoText) {
    const TransportView view = transportViewOf(transport_);
    if (view.playButton)
        start(tempoText);
    else if (view.playOnButton)
        setTransport(Transport::Pause);
    else
        setTransport(Transport::Play);
}

void PlaybackEngine::resetSong() {
    stopPlayTimer(); // before the silence, as back-to-top does
    setTransport(Transport::Stop);
    std::lock_guard lock(song_.mutex);
    song_.resetSong();
    playIndex_ = 0;
}

double PlaybackEngine::playPos() const {
    std::lock_guard lock(song_.mutex);
    return playPos_;
}

std::uint32_t PlaybackEngine::playIndex() const {
    std::lock_guard lock(song_.mutex);
    return playIndex_;
}

double PlaybackEngine::playIncrement() const {
    std::lock_guard lock(song_.mutex);
    return playIncrement_;
}

std::uint8_t PlaybackEngine::playStep() const {
    std::lock_guard lock(song_.mutex);
    return playStep_;
}

} // namespace cadenzo
