// kr39eds-cli check and check-library: EDS files and the module library judged by the EDS
// rules. Each finding is one line "FILE:LINE: error|warning: TEXT" on stdout, then one summary
// line; exit 0 without errors (warnings allowed), 1 with errors.

#include <iostream>
#include <memory>

#include <CLI/CLI.hpp>

#include "cli/CliSupport.h"
#include "eds/EdsCheck.h"
#include "eds/LibraryCheck.h"
#include "util/FileIo.h"

namespace kr39 {

namespace {

struct Tally {
    int Errors = 0;
    int Warnings = 0;

    void Add(const std::string& file, const EdsFinding& finding)
    {
        std::cout << FormatFinding(file, finding) << '\n';
        ++(finding.Level == Severity::Error ? Errors : Warnings);
    }
    static std::string Count(int n, const char* word)
    {
        return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
    }
    int Finish(const std::string& what)
    {
        std::cout << what << ": " << Count(Errors, "error") << ", " << Count(Warnings, "warning") << '\n';
        if (!std::cout.flush()) {
            std::cerr << "kr39eds-cli: cannot write to standard output" << std::endl;
            return ExitFailure;
        }
        return Errors > 0 ? ExitFailure : ExitOk;
    }
};

int RunCheck(const std::vector<std::string>& files)
{
    Tally tally;
    for (const auto& file : files) {
        const auto bytes = ReadFileBytes(file);
        if (!bytes) {
            tally.Add(file, {0, Severity::Error, "cannot read the file: " + bytes.Error().What});
            continue;
        }
        for (const auto& finding : CheckEds(bytes.Value()))
            tally.Add(file, finding);
    }
    return tally.Finish(Tally::Count(static_cast<int>(files.size()), "file") + " checked");
}

int RunCheckLibrary(const CliContext& context)
{
    Tally tally;
    for (const auto& [file, finding] : CheckModuleLibrary(context.ModulesDir()))
        tally.Add(file, finding);
    return tally.Finish("module library " + context.ModulesDir().string() + " checked");
}

} // namespace

void AddCheckCommands(CLI::App& app, CliContext& context)
{
    auto files = std::make_shared<std::vector<std::string>>();
    auto* check = app.add_subcommand("check",
        "check EDS files by the DeviceNet EDS rules: FILE:LINE: error|warning: TEXT, then a summary");
    check->add_option("FILE", *files, "an EDS file")->required();
    check->callback([&context, files] { context.Run = [files] { return RunCheck(*files); }; });

    auto* library = app.add_subcommand("check-library",
        "check the module library: files, pictures, ASCII with CR LF, and the EDS of every module");
    library->callback([&context] { context.Run = [&context] { return RunCheckLibrary(context); }; });
}

} // namespace kr39
