#pragma once

#include "model/guitar.h"
#include "playback/practice.h"
#include "seq/song.h"
#include "sound/midi_port.h"
#include "sound/timer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string_view>

namespace cadenzo {

enum class Transport : std::uint8_t { Stop = 0, Play = 1, Pause = 2 };

// What the transport shows in a state: which of the play, play-on and pause buttons is visible,
// and the text of status panel 3.
struct TransportView {
    bool playButton;
    bool playOnButton;
    bool pauseButton;
    const char* panel;
};
TransportView transportViewOf(Transport state);

// The window's side of playback. The engine never draws: it says what to show. Every call comes
// from the window thread; the playback tick never calls the window (it publishes its play line
// position instead, see PlaybackEngine::playLine()).
class PlaybackListener {
public:
    virtual ~PlaybackListener() = default;
    // Window thread: show the buttons and panel text of transportViewOf(state).
    virtual void transportChanged(Transport /*state*/) {}
    // Window thread: move `seqBar` to `position`, held within its range; viewBar and
    // viewStartTick follow as on any scroll.
    virtual void scrollSequence(int /*position*/) {}
    // Window thread: the four drag-line values of the mouse editing go back to 0.
    virtual void clearDragLine() {}
    // Window thread: redraw the whole sequence view.
    virtual void redrawSequence() {}
};

// Where the playback tick last drew its play line: the rounded position and a count of such
// callbacks, so that a reader at the display rate sees whether the line moved. Published as one
// atomic word, so the two always belong together.
struct PlayLinePosition {
    std::int32_t tick = 0;
    std::uint32_t serial = 0;
};

// Timed playback of the song as strummed chords, and the transport.
//
// The song may be edited while it plays, through any path: every callback first looks whether
// the list changed since the last one (Song::listChanges) and, if so, finds its place again by
// tick. The sounding event goes on when it still stands at its tick with the same strings,
// otherwise its notes are released and playback continues with the first event after it. So an
// edit neither leaves notes hanging, nor skips an event, nor strikes a chord a second time.
//
// Thread rules: playOneTick runs on the timer's thread and does all its work under the song's lock;
// every other member belongs to the window thread and takes the lock where it touches the state
// the tick uses. stopPlayTimer is safe from both threads and from inside the tick; it (and so
// every member that calls it: locateTo, resetSong, the stop and back-to-top handlers) must not be
// called while the caller holds the song's lock, since stopping a timer waits for a running tick.
class PlaybackEngine {
public:
    enum class StartResult {
        Started,       // the transport shows PLAY (with no timer when the timer cannot be read)
        Running,       // a timer is running or paused: nothing done
        NothingToPlay, // no event at or after playTick: the transport stays as it was
        BadTempo,      // the tempo text is not an integer: nothing started
    };

    PlaybackEngine(Song& song, MidiPort& port, const Guitar& guitar, Timer& timer);
    ~PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Set before playback starts; the tick reads it. Null: nobody listens.
    void setListener(PlaybackListener* listener) { listener_ = listener ? listener : &silent_; }

    void setTransport(Transport state);
    // Index of the first event at or after `tick` (unsigned comparison), or eventCount + 1 when
    // there is none; playPos := tick. The caller holds the song's lock. For a full list that
    // "none" is 2001, one past the last slot: no slot is ever read at an index above eventCount
    // (start then does nothing, locateTo stops, and a tick that meets it stops its timer).
    std::uint32_t seekEvent(std::int32_t tick);
    // Starts playback at playTick with the tempo in `tempoText` (read once, here).
    StartResult start(std::string_view tempoText);
    // One timer callback.
    void playOneTick();
    void stopPlayTimer();
    // The ruler was clicked at `tick`: playback (running or not) continues from there.
    void locateTo(std::int32_t tick);

    // Main-window handlers.
    void pause() { setTransport(Transport::Pause); }
    void resume() { setTransport(Transport::Play); }
    void stop();
    void backToTop();
    // Space on the main window while the sequencer pane is open.
    void togglePlay(std::string_view tempoText);
    // Stops playback, then resets the song (resetSong) and the play index.
    void resetSong();
    // Window thread: the practice controls. The loop, the clicks and the speed take effect at the
    // next callback also while playing; the count-in is read at the start. Playback with the
    // loop on starts at the loop's first bar and, at the end of its last bar, releases every
    // note and goes on at its first bar as if the bars followed each other.
    void setPractice(const Practice& practice);
    Practice practice() const;
    // Times playback went back to the loop's first bar since it started (any thread; lock-free,
    // so a watcher never holds up the tick).
    std::uint32_t loopTurns() const { return loopTurns_.load(std::memory_order_acquire); }
    // True once the last callback had sent everything up to the end of the song: the last event
    // released, the last click ended, no count-in left (any thread; lock-free).
    bool playedOut() const { return playedOut_.load(std::memory_order_acquire); }

    // Draw the play line at the next tick even off the 5-tick raster (after an edit).
    void requestRedraw() { playRedraw_.store(1, std::memory_order_relaxed); }
    // Any thread: the play line the last tick asked for (the tick computes no pixels).
    PlayLinePosition playLine() const;

    // The tempo in a text: an integer (optionally signed), held to the tempo box's 30..300;
    // false when the text is not an integer. Such a text can only come from a song file, and
    // playback then refuses to start rather than start with a guessed tempo.
    static bool parseTempo(std::string_view text, int& tempo);

    // State, for the window and for tests (any thread).
    Transport transportState() const { return transport_.load(); }
    std::uint32_t playPeriod() const { return playPeriod_.load(); }
    std::uint32_t playTimerId() const { return playTimerId_.load(); }
    // The song position: the tick's clock less the bars played twice and the count-in.
    double playPos() const;
    std::uint32_t playIndex() const;
    double playIncrement() const;
    std::uint8_t playStep() const;

private:
    static void tickCallback(void* user);
    void notifyTransport(Transport state);
    void sendStringOff(const SongEvent& e, int s);
    // Notes where playback stands in the list as it is now; the caller holds the song's lock.
    void holdPlace();
    // Finds that place again in the list an edit changed; the caller holds the song's lock.
    void findPlace();
    // The song's end for the metronome: the end of the bar the last event is released in.
    void findSongEnd();
    // Loop turn, count-in and clicks of one callback at song position `pos`; the caller holds
    // the song's lock. Returns the position after a loop turn.
    std::int64_t turnLoop(std::int64_t pos);
    void click(std::int64_t pos);
    void applySpeed();

    Song& song_;
    MidiPort& port_;
    const Guitar& guitar_;
    Timer& timer_;
    PlaybackListener silent_;
    PlaybackListener* listener_ = &silent_; // never null

    std::atomic<Transport> transport_{Transport::Stop};
    std::atomic<std::uint32_t> playPeriod_{0};
    std::atomic<std::uint32_t> playTimerId_{0};
    std::atomic<std::uint8_t> playRedraw_{0};
    // PlayLinePosition packed as serial << 32 | tick; written by the tick, read by the window.
    std::atomic<std::uint64_t> playLine_{0};
    // Guarded by the song's lock.
    double playPos_ = 0.0;
    std::uint32_t playIndex_ = 0;
    double playIncrement_ = 0.0;
    std::uint8_t playStep_ = 0;
    // The channel each string of the event being played was struck on (NOT_STRUCK when it was
    // not): its note-off goes there, even when the channel was changed since.
    static constexpr std::uint8_t NOT_STRUCK = 0xFF;
    std::array<std::uint8_t, STRING_COUNT> struckOn_{};
    // The place as holdPlace saw it: the list's change count then, the event whose strings were
    // sounding, and the first tick to play from unless that event goes on.
    std::uint32_t placeChanges_ = 0;
    bool hasSounding_ = false;
    SongEvent sounding_;
    std::uint32_t resumeTick_ = 0;
    // Practice state, guarded by the song's lock. The tick's clock playPos_ runs on unbroken;
    // the song position is its rounded value less shift_ (the count-in at the start, one loop
    // length more at every turn), so a turn moves the position by whole ticks and never
    // rounds anything anew.
    Practice practice_;
    double baseIncrement_ = 0.0; // the increment at the song's tempo
    std::int64_t shift_ = 0;
    std::int64_t countInStart_ = 0, countInEnd_ = 0, countInBeat_ = 0;
    std::int64_t songEnd_ = 0;
    Beat nextClick_{0, true};
    int soundingClick_ = -1; // the key of the click struck in the last callback, or -1
    std::atomic<std::uint32_t> loopTurns_{0};
    std::atomic<bool> playedOut_{false};
};

} // namespace cadenzo
