// kr39eds-cli: composes KR39 stations and writes their files from the command line.

#include <exception>
#include <iostream>
#include <new>

#include <CLI/CLI.hpp>

#include "cli/CliSupport.h"

int main(int argc, char** argv)
{
    using namespace kr39;
    CliContext context;
    CLI::App app {std::string(AppTitle) + " - command line", "kr39eds-cli"};
    app.add_option("--modules", context.ModulesOption,
           "the module library (default: the modules folder beside the program)")
        ->type_name("DIR");
    app.require_subcommand(1);
    app.fallthrough();

    // One line per command file.
    AddStationCommands(app, context);
    AddGenerateCommand(app, context);
    AddCheckCommands(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return ExitOk;
    } catch (const CLI::CallForAllHelp&) {
        std::cout << app.help("", CLI::AppFormatMode::All);
        return ExitOk;
    } catch (const CLI::ParseError& error) {
        // help() gives the usage of the command that was begun, else of the program.
        std::cerr << "kr39eds-cli: " << error.what() << "\n\n" << app.help();
        return ExitUsage;
    }

    try {
        return context.Run ? context.Run() : ExitUsage;
    } catch (const std::bad_alloc&) {
        std::cerr << "kr39eds-cli: not enough memory" << std::endl;
        return ExitFailure;
    } catch (const std::exception& error) {
        std::cerr << "kr39eds-cli: " << EscapeControls(error.what()) << std::endl;
        return ExitFailure;
    }
}
