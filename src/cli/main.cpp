#include "cli/cli_common.h"

#include <iostream>

int main(int argc, char** argv) {
    using namespace cadenzo::cli;
    CLI::App app{"cadenzo-cli: chords, songs and MIDI from the terminal", "cadenzo-cli"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Show the help of every subcommand");
    addChordCommands(app);
    addSoundCommands(app);
    addSongCommands(app);
    addExportCommands(app);
    addMusicXmlCommands(app);
    addRenderCommands(app);
    addChordProCommands(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "cadenzo-cli: " << e.what() << "\n";
        return 2;
    } catch (const UsageError& e) {
        std::cerr << "cadenzo-cli: " << e.what() << "\n";
        return 2;
    } catch (const RunError& e) {
        std::cerr << "cadenzo-cli: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "cadenzo-cli: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
