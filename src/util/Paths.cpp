#include "util/Paths.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace kr39 {
namespace fs = std::filesystem;

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The running program's file, its symbolic links followed; empty when it cannot be told.
fs::path ProgramFile()
{
#ifdef _WIN32
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const auto length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            name.resize(length);
            return fs::path(name);
        }
        name.resize(name.size() * 2);
    }
#else
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe;
#endif
}

} // namespace

fs::path ProgramDir()
{
    const auto exe = ProgramFile();
    if (!exe.empty())
        return exe.parent_path();
    std::error_code ec;
    return fs::current_path(ec);
}

fs::path FindNoCase(const fs::path& dir, std::string_view name)
{
    std::error_code ec;
    const auto exact = dir / fs::path(std::string(name));
    if (fs::exists(exact, ec))
        return exact;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualsNoCase(it->path().filename().string(), name))
            return it->path();
    }
    return exact;
}

fs::path ModulesDirOf(const fs::path& program)
{
    std::error_code ec;
    auto file = fs::canonical(program, ec);
    if (ec)
        file = program;
    return FindNoCase(file.parent_path(), "modules");
}

fs::path DefaultModulesDir()
{
    return ModulesDirOf(ProgramFile());
}

std::string StationBaseName(std::string_view path)
{
    const auto sep = path.find_last_of("/\\");
    auto name = sep == std::string_view::npos ? path : path.substr(sep + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name = name.substr(0, dot);
    return std::string(name);
}

} // namespace kr39
