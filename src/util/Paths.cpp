#include "util/Paths.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace kr39 {
namespace fs = std::filesystem;

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

fs::path ProgramDir()
{
    std::error_code ec;
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return exe.parent_path();
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

fs::path DefaultModulesDir()
{
    return FindNoCase(ProgramDir(), "modules");
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
