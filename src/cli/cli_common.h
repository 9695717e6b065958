#pragma once

#include "model/guitar.h"

#include <CLI/CLI.hpp>

#include <stdexcept>
#include <string>

namespace cadenzo::cli {

// Bad input on the command line: the tool prints the message on one line and exits with 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// A failure while carrying out a valid command (a file that cannot be read, a device that cannot
// be opened): the message goes to stderr and the tool exits with 1.
struct RunError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A preset name of the instrument dialog ("Standard", "Drop D", ...) or six comma-separated
// values 0..255, string 0 first.
Frets ParseTuning(const std::string &text);

// Each subsystem adds its subcommands to the tool.
void addChordCommands(CLI::App &app);
void addSoundCommands(CLI::App &app);
void addSongCommands(CLI::App &app);
void addExportCommands(CLI::App &app);

} // namespace cadenzo::cli
