#include "cli/cli_common.h"

namespace cadenzo::cli {

void addSoundCommands(CLI::App & /*app*/) {}

} // namespace cadenzo::cli
