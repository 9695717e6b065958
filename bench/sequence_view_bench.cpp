// Redraw cost of the sequence view on a full song (2000 events) at the widest window.
#include "seq/event_fields.h"
#include "seq/seq_mouse.h"
#include "seq/undo.h"
#include "sequence_view_song.h"
#include "views/sequence_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <benchmark/benchmark.h>

#include <memory>

namespace cadenzo {
namespace {

constexpr int kWidestView = 1300 - 95;

struct Rig {
    std::unique_ptr<Song> song = std::make_unique<Song>();
    std::unique_ptr<UndoHistory> history = std::make_unique<UndoHistory>();
    EventFields fields;
    SeqMouse mouse;
    SequenceView view{*song, *history, fields, mouse};

    explicit Rig(int zoom) {
        FillProgression(*song, MAX_EVENTS, 80);
        song->edit.zoom = zoom;
        song->edit.anchorTick = 480;
        song->edit.cursorTick = 2400;
        view.resize(kWidestView, 129);
        view.show();
    }
    void Send(QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(x, 50), view.mapToGlobal(QPointF(x, 50)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    }
};

void BM_RedrawAll(benchmark::State& state) {
    Rig rig(static_cast<int>(state.range(0)));
    for (auto _ : state)
        rig.view.redrawAll();
}
BENCHMARK(BM_RedrawAll)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

// A selection dragged across the view: every move reaches a new grid tick, so each one runs the
// editing engine and redraws the event layer.
void BM_SelectionDragMove(benchmark::State& state) {
    const int zoom = static_cast<int>(state.range(0));
    Rig rig(zoom);
    rig.Send(QEvent::MouseButtonPress, 100, Qt::LeftButton, Qt::LeftButton);
    int x = 100;
    for (auto _ : state) {
        x = x >= 1000 ? 100 : x + 6 * zoom; // one sixteenth
        rig.Send(QEvent::MouseMove, x, Qt::NoButton, Qt::LeftButton);
    }
}
BENCHMARK(BM_SelectionDragMove)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

void BM_RedrawEvents(benchmark::State& state) {
    Rig rig(static_cast<int>(state.range(0)));
    for (auto _ : state)
        rig.view.redrawEvents();
}
BENCHMARK(BM_RedrawEvents)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

// One move of the play line (the window's work per play-line update).
void BM_ShowPlayLine(benchmark::State& state) {
    Rig rig(1);
    int x = 55;
    for (auto _ : state) {
        x = x >= 1200 ? 55 : x + 1;
        rig.view.showPlayLine(x);
    }
}
BENCHMARK(BM_ShowPlayLine)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace cadenzo

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
