#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kr39 {

// The folder that holds the running program.
std::filesystem::path ProgramDir();

// The entry of folder `dir` whose name equals `name` ignoring ASCII letter case; the exact
// spelling wins when both exist. Returns dir / name when nothing matches, so that the caller's
// open fails with the expected path in its message.
std::filesystem::path FindNoCase(const std::filesystem::path& dir, std::string_view name);

// The module library of the program file `program`: "modules" in any letter case in the folder
// of the file that `program` leads to through symbolic links. Installed, /usr/bin/kr39eds-cli is
// a link to /usr/lib/kr39eds/kr39eds-cli, whose library is /usr/lib/kr39eds/modules.
std::filesystem::path ModulesDirOf(const std::filesystem::path& program);

// The module library beside the running program.
std::filesystem::path DefaultModulesDir();

// The base name of a station file: the text after the last path separator ('/' or '\'),
// less its extension (from its last dot on). "C:\\x\\Line4.CSE" and "Line4" give "Line4".
std::string StationBaseName(std::string_view path);

} // namespace kr39
