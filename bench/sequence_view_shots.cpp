// Renders the sequence view for the manual: manual/images/sequence-zoom1.png and
// sequence-zoom4.png (the folder is the first argument, manual/images by default).
#include "seq/event_fields.h"
#include "seq/seq_mouse.h"
#include "seq/undo.h"
#include "sequence_view_song.h"
#include "views/sequence_view.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <memory>

using namespace cadenzo;

namespace {

// The view as a 1000-pixel window shows it, from bar `firstBar`, with a selection.
bool Shoot(const QString& file, int zoom, SeqLane lane, int firstBar, std::int32_t anchor,
           std::int32_t cursor) {
    auto song = std::make_unique<Song>();
    auto history = std::make_unique<UndoHistory>();
    EventFields fields;
    SeqMouse mouse;
    FillProgression(*song, 64, 240);
    song->scrollView(firstBar - 1);
    song->edit.zoom = zoom;
    song->edit.anchorTick = anchor;
    song->edit.cursorTick = cursor;
    song->playTick = anchor;
    SequenceView view(*song, *history, fields, mouse);
    view.resize(1000 - 95, 129);
    view.show();
    view.setLane(lane);
    view.redrawAll();
    if (!view.screenImage().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("manual/images"));
    const bool ok = Shoot(folder.filePath(QStringLiteral("sequence-zoom1.png")), 1,
                          SeqLane::Velocity, 1, 3840, 5760) &&
                    Shoot(folder.filePath(QStringLiteral("sequence-zoom4.png")), 4, SeqLane::Stroke,
                          2, 2400, 3120);
    return ok ? 0 : 1;
}
