#include "cli/cli_common.h"

namespace cadenzo::cli {

void addExportCommands(CLI::App & /*app*/) {}

} // namespace cadenzo::cli
