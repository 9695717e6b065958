#include "sound/jack_server.h"

#include <jack/jack.h>

#include <cstdlib>
#include <mutex>

namespace cadenzo {

namespace {

void QuietJack(const char* /*message*/) {}

} // namespace

double runningJackSampleRate() {
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function(QuietJack);
        jack_set_info_function(QuietJack);
        setenv("JACK_NO_START_SERVER", "1", 0);
    });
    jack_status_t status{};
    jack_client_t* probe = jack_client_open("Cadenzo-probe", JackNoStartServer, &status);
    if (probe == nullptr)
        return 0;
    const double rate = jack_get_sample_rate(probe);
    jack_client_close(probe);
    return rate;
}

} // namespace cadenzo
