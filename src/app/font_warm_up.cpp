#include "app/font_warm_up.h"

#include <fontconfig/fontconfig.h>

namespace cadenzo {

FontConfigWarmUp::FontConfigWarmUp() : reader_([] { FcInit(); }) {}

FontConfigWarmUp::~FontConfigWarmUp() {
    if (reader_.joinable())
        reader_.join();
}

} // namespace cadenzo
