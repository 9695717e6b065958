#include "playback/playback.h"

#include "seq/seq_geometry.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <mutex>

namespace cadenzo {

namespace {

// The play line is drawn when the rounded position is a multiple of this.
constexpr std::int64_t LINE_RASTER = 5;
// The song position while no count-in runs.
constexpr std::int64_t NO_COUNT_IN = INT64_MIN;
// No beat is shorter (one sixteenth): a beat passed longer ago than this was passed while the
// clicks were off, and is not clicked late.
constexpr std::int64_t SHORTEST_BEAT = 120;

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
        if (state != Transport::Play) {
            port_.allNoteOff();
            soundingClick_ = -1;
        }
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
        const Practice practice = heldToRange(practice_);
        const std::int32_t start =
            practice.loop ? static_cast<std::int32_t>(loopTicks(song_.meterTable, practice).first)
                          : song_.playTick.load();
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
        baseIncrement_ = static_cast<double>(product) * 0.001 * 480 / 60;
        applySpeed();
        // The count-in is one bar of the signature the start stands in; the song position
        // begins that bar before the start.
        const MeterEntry& sig = song_.meterTable[std::min(song_.barOfTick(start), BAR_COUNT)];
        shift_ = practice.countIn ? barTicks(sig.num, sig.den) : 0;
        countInBeat_ = barTicks(1, sig.den);
        countInStart_ = start - shift_;
        countInEnd_ = shift_ > 0 ? start : NO_COUNT_IN;
        nextClick_ =
            shift_ > 0 ? Beat{countInStart_, true} : beatAtOrAfter(song_.meterTable, start);
        soundingClick_ = -1;
        loopTurns_ = 0;
        playedOut_ = false;
        findSongEnd();
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
    std::int64_t pos = static_cast<std::int64_t>(std::nearbyint(playPos_)) - shift_;
    if (pos >= countInEnd_)
        countInEnd_ = NO_COUNT_IN;
    pos = turnLoop(pos);
    const bool countingIn = countInEnd_ != NO_COUNT_IN;
    const auto cur = static_cast<std::uint32_t>(pos);

    const std::uint32_t count = std::min<std::uint32_t>(song_.eventCount, MAX_EVENTS);
    if (playIndex_ > count) {
        // The list ends before the event being played (edited away): the timer stops, the
        // transport stays as it is.
        stopPlayTimer();
        return;
    }
    const std::uint8_t channel = port_.setup().midiChannel;

    // Release: every audible string of the event, sounded yet or not.
    if (!countingIn) {
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
    if (!countingIn) {
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

    click(pos);

    // Play line: every 5 ticks, or at once after an edit. Only the position is published; the
    // window turns it into pixels and page turns on its own thread. During the count-in it
    // waits at the start.
    const std::int64_t rounded = countingIn ? countInEnd_ : pos;
    if (rounded % LINE_RASTER == 0 || playRedraw_.load(std::memory_order_relaxed) == 1) {
        const std::uint64_t serial = (playLine_.load(std::memory_order_relaxed) >> 32) + 1;
        playLine_.store((serial << 32) | static_cast<std::uint32_t>(rounded),
                        std::memory_order_release);
    }
    playRedraw_.store(0, std::memory_order_relaxed);
    holdPlace();
    const std::int64_t limit =
        practice_.loop ? loopTicks(song_.meterTable, practice_).second : songEnd_;
    playedOut_.store(playIndex_ >= count && soundingClick_ < 0 && !countingIn && !practice_.loop &&
                         (!practice_.metronome || nextClick_.tick >= limit),
                     std::memory_order_release);
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
        resumeTick_ = static_cast<std::uint32_t>(
            std::max(0.0, std::nearbyint(playPos_) - static_cast<double>(shift_)));
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
    findSongEnd();
}

void PlaybackEngine::findSongEnd() {
    std::int64_t release = 0;
    const std::uint32_t count = std::min<std::uint32_t>(song_.eventCount, MAX_EVENTS);
    for (std::uint32_t i = 0; i < count; ++i)
        if (const SongEvent& e = song_.songEvents[i]; !e.isEnd())
            release = std::max<std::int64_t>(release, std::int64_t{e.tick} + std::max(0, e.gate));
    const int bar = release > INT32_MAX ? METER_ENTRIES + 1
                                        : song_.barAtOrAfter(static_cast<std::int32_t>(release));
    songEnd_ = bar <= METER_ENTRIES ? std::int64_t{song_.meterTable[bar - 1].endTick} : release;
}

std::int64_t PlaybackEngine::turnLoop(std::int64_t pos) {
    if (!practice_.loop || countInEnd_ != NO_COUNT_IN)
        return pos;
    const auto [begin, end] = loopTicks(song_.meterTable, practice_);
    if (pos < end || end <= begin)
        return pos;
    // Every note sounding at the turn ends at the turn: the event being strummed is the only
    // one that can sound, the engine releases each event before it strikes the next.
    const std::uint32_t count = std::min<std::uint32_t>(song_.eventCount, MAX_EVENTS);
    if (playIndex_ <= count && playStep_ > 0) {
        const SongEvent& e = song_.songEvents[playIndex_];
        for (int s = 0; s < STRING_COUNT && !e.isEnd(); ++s)
            if (e.frets[s] != SILENT)
                sendStringOff(e, s);
    }
    // Whole loop lengths, so the first bar follows the last without a gap or an extra beat.
    const std::int64_t back = (pos - begin) / (end - begin) * (end - begin);
    shift_ += back;
    pos -= back;
    const double clock = playPos_;
    playIndex_ = std::min(seekEvent(static_cast<std::int32_t>(begin)), count);
    playPos_ = clock;
    playStep_ = 0;
    nextClick_ = {begin, true};
    ++loopTurns_;
    return pos;
}

void PlaybackEngine::click(std::int64_t pos) {
    if (soundingClick_ >= 0)
        port_.noteOut(0, CLICK_CHANNEL, soundingClick_, 0);
    soundingClick_ = -1;
    if (pos <= nextClick_.tick)
        return;
    const bool countIn = nextClick_.tick < countInEnd_;
    const std::int64_t limit =
        practice_.loop ? loopTicks(song_.meterTable, practice_).second : songEnd_;
    if ((countIn || (practice_.metronome && nextClick_.tick < limit)) &&
        pos - nextClick_.tick <= SHORTEST_BEAT) {
        soundingClick_ = nextClick_.accent ? ACCENT_CLICK_KEY : BEAT_CLICK_KEY;
        port_.noteOut(1, CLICK_CHANNEL, soundingClick_, practice_.clickVelocity);
    }
    if (countIn && nextClick_.tick + countInBeat_ < countInEnd_)
        nextClick_ = {nextClick_.tick + countInBeat_, false};
    else
        nextClick_ = beatAtOrAfter(song_.meterTable, countIn ? countInEnd_ : pos);
}

void PlaybackEngine::applySpeed() {
    // At full speed the increment is the song tempo's, bit for bit.
    playIncrement_ = practice_.speedPercent == MAX_PRACTICE_SPEED
                         ? baseIncrement_
                         : baseIncrement_ * practice_.speedPercent / MAX_PRACTICE_SPEED;
}

void PlaybackEngine::setPractice(const Practice& practice) {
    std::lock_guard lock(song_.mutex);
    practice_ = heldToRange(practice);
    applySpeed();
}

Practice PlaybackEngine::practice() const {
    std::lock_guard lock(song_.mutex);
    return practice_;
}

void PlaybackEngine::locateTo(std::int32_t tick) {
    bool nothingAfter = false;
    {
        std::lock_guard lock(song_.mutex);
        port_.allNoteOff();
        song_.playTick = tick;
        playIndex_ = seekEvent(tick);
        shift_ = 0;
        countInEnd_ = NO_COUNT_IN;
        nextClick_ = beatAtOrAfter(song_.meterTable, tick);
        soundingClick_ = -1;
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
    return playPos_ - static_cast<double>(shift_);
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
