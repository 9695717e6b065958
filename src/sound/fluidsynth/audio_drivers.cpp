#include "sound/fluidsynth/audio_drivers.h"

#include <fluidsynth.h>

namespace cadenzo {

void setJackDriverOptions(_fluid_hashtable_t* settings) {
    fluid_settings_setstr(settings, "audio.jack.id", "Cadenzo Synthesizer");
    fluid_settings_setstr(settings, "audio.jack.server", "");
    fluid_settings_setint(settings, "audio.jack.multi", 0);
    fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
}

} // namespace cadenzo
