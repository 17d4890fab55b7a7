#include "FuzzSupport.h"

#include <unistd.h>

namespace kr39::fuzz {
namespace fs = std::filesystem;

const fs::path& ScratchDir()
{
    static const fs::path dir = [] {
        std::error_code ec;
        // fuzz/run.sh names a folder of its own and removes it afterwards: libFuzzer ends a timed
        // run without running exit handlers.
        const char* given = std::getenv("KR39_FUZZ_SCRATCH");
        fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        if (given != nullptr && *given != '\0')
            base = given;
        auto path = base / ("kr39-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(path, ec);
        // Removed when the process ends normally; a crash leaves it for inspection.
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(ScratchDir(), ignored);
        });
        return path;
    }();
    return dir;
}

std::vector<std::string_view> SplitInput(
    std::string_view data, std::string_view separator, std::size_t maxParts)
{
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < maxParts) {
        const auto at = data.find(separator);
        if (at == std::string_view::npos)
            break;
        parts.push_back(data.substr(0, at));
        data.remove_prefix(at + separator.size());
    }
    parts.push_back(data);
    return parts;
}

} // namespace kr39::fuzz
