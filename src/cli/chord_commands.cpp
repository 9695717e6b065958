#include "cli/cli_common.h"

namespace cadenzo::cli {

void addChordCommands(CLI::App & /*app*/) {}

} // namespace cadenzo::cli
