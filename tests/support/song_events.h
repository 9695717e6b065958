#pragma once

#include "seq/song.h"

#include <cstdint>

namespace cadenzo::test {

// The one event builder of the tests: a chord at `tick` with the playing values given.
inline SongEvent MakeEvent(std::int64_t tick, Frets frets = {0, 1, 0, 2, 3, SILENT},
                           std::uint8_t velocity = 100, std::int32_t gate = 120,
                           std::int32_t strokeTime = 60, std::uint8_t strokeDir = 0) {
    return {.tick = static_cast<std::uint32_t>(tick),
            .frets = frets,
            .velocity = velocity,
            .gate = gate,
            .strokeDir = strokeDir,
            .strokeTime = strokeTime};
}

} // namespace cadenzo::test
