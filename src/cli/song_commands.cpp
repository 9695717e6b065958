#include "cli/cli_common.h"

namespace cadenzo::cli {

void addSongCommands(CLI::App & /*app*/) {}

} // namespace cadenzo::cli
