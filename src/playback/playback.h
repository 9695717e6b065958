#pragma once

#include "model/guitar.h"
#include "seq/song.h"
#include "sound/midi_port.h"
#include "sound/timer.h"

#include <atomic>
#include <cstdint>
#include <string_view>

namespace cadenzo {

enum class Transport : std::uint8_t { STOP = 0, PLAY = 1, PAUSE = 2 };

// What the transport shows in a state: which of play_button, play_on_button and pause_button is
// visible, and the text of status panel 3.
struct TransportView {
    bool playButton;
    bool playOnButton;
    bool pauseButton;
    const char* panel;
};
TransportView TransportViewOf(Transport state);

// The window's side of playback. The engine never draws: it says what to show.
// Calls marked "timer thread" come from the playback tick with the song lock held; they must not
// wait for the window thread (queue the work, coalesced, and return). The others come from the
// window thread.
class PlaybackListener {
public:
    virtual ~PlaybackListener() = default;
    // Window thread: show the buttons and panel text of TransportViewOf(state).
    virtual void transportChanged(Transport /*state*/) {}
    // Window thread: move `seqBar` to `position`, held within its range; viewBar and
    // viewStartTick follow as on any scroll.
    virtual void scrollSequence(int /*position*/) {}
    // Window thread: the four drag-line values of the mouse editing go back to 0.
    virtual void clearDragLine() {}
    // Window thread: redraw the whole sequence view.
    virtual void redrawSequence() {}
    // Timer thread: the view pages on: `seqBar` := position (held within its range).
    virtual void pageSequence(int /*position*/) {}
    // Timer thread: draw the play line at x (the six columns behind it restored from seqBitmap).
    virtual void playLine(int /*x*/) {}
    // Timer thread: repaint `seq_screen`; sent at the end of every tick that ran.
    virtual void repaintSequence() {}
};

// Timed playback of the song as strummed chords, and the transport.
//
// Thread rules: PlayTick runs on the timer's thread and does all its work under the song's lock;
// every other member belongs to the window thread and takes the lock where it touches the state
// the tick uses. StopPlayTimer is safe from both threads and from inside the tick; it (and so
// every member that calls it: Locate, NewSong, the stop and back-to-top handlers) must not be
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

    void SetTransport(Transport state);
    // Index of the first event at or after `tick` (unsigned comparison), or eventCount + 1 when
    // there is none; playPos := tick. The caller holds the song's lock. For a full list that
    // "none" is 2001, one past the last slot: no slot is ever read at an index above eventCount
    // (StartPlay then does nothing, Locate stops, and a tick that meets it stops its timer).
    std::uint32_t SeekEvent(std::int32_t tick);
    // Starts playback at playTick with the tempo in `tempoText` (read once, here).
    StartResult StartPlay(std::string_view tempoText);
    // One timer callback.
    void PlayTick();
    void StopPlayTimer();
    // The ruler was clicked at `tick`: playback (running or not) continues from there.
    void Locate(std::int32_t tick);

    // Main-window handlers.
    StartResult playButtonClick(std::string_view tempoText) { return StartPlay(tempoText); }
    void playOnButtonClick() { SetTransport(Transport::PAUSE); }
    void pauseButtonClick() { SetTransport(Transport::PLAY); }
    void stopButtonMouseDown() { StopPlayTimer(); }
    void stopButtonClick();
    void backtopClick();
    // Space on the main window while the sequencer pane is open.
    void spaceKey(std::string_view tempoText);
    // Stops playback, then resets the song (NewSong) and the play index.
    void NewSong();
    // Draw the play line at the next tick even off the 5-tick raster (after an edit).
    void requestRedraw() { playRedraw_.store(1, std::memory_order_relaxed); }

    // The tempo in a text: an integer (optionally signed), held to the tempo box's 30..300;
    // false when the text is not an integer. Such a text can only come from a song file, and
    // playback then refuses to start rather than start with a guessed tempo.
    static bool ParseTempo(std::string_view text, int& tempo);

    // State, for the window and for tests (any thread).
    Transport transportState() const { return transport_.load(); }
    std::uint32_t playPeriod() const { return playPeriod_.load(); }
    std::uint32_t playTimerId() const { return playTimerId_.load(); }
    double playPos() const;
    std::uint32_t playIndex() const;
    double playIncrement() const;
    std::uint8_t playStep() const;

private:
    static void TickCallback(void* user);
    void notifyTransport(Transport state);
    void sendStringOff(const SongEvent& e, int s, std::uint8_t channel);

    Song& song_;
    MidiPort& port_;
    const Guitar& guitar_;
    Timer& timer_;
    PlaybackListener silent_;
    PlaybackListener* listener_ = &silent_; // never null

    std::atomic<Transport> transport_{Transport::STOP};
    std::atomic<std::uint32_t> playPeriod_{0};
    std::atomic<std::uint32_t> playTimerId_{0};
    std::atomic<std::uint8_t> playRedraw_{0};
    // Guarded by the song's lock.
    double playPos_ = 0.0;
    std::uint32_t playIndex_ = 0;
    double playIncrement_ = 0.0;
    std::uint8_t playStep_ = 0;
};

} // namespace cadenzo
