#include "util/FileIo.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

namespace kr39 {
namespace fs = std::filesystem;

namespace {

WriteFaultHook& FaultHook()
{
    static WriteFaultHook hook;
    return hook;
}

bool StepAllowed(std::string_view step)
{
    const auto& hook = FaultHook();
    return !hook || hook(step);
}

// Opens a file for writing by its path. On Windows the narrow form of a path is UTF-8 while the
// narrow fopen takes the ANSI code page, so the wide name is used there.
std::FILE* OpenForWriting(const fs::path& path)
{
#ifdef _WIN32
    return _wfopen(path.c_str(), L"wb");
#else
    return std::fopen(path.c_str(), "wb");
#endif
}

std::string ErrnoText(int err)
{
    return err != 0 ? std::string(std::strerror(err)) : std::string("unknown error");
}

fs::path TemporarySibling(const fs::path& target)
{
    static std::mt19937_64 rng {std::random_device {}()};
    const auto name = "." + target.filename().string() + "." + std::to_string(rng() % 1000000000) + ".tmp";
    return target.parent_path() / name;
}

} // namespace

Result<std::string> ReadFileBytes(const fs::path& path, std::uintmax_t maxBytes)
{
    std::error_code ec;
    if (!fs::exists(path, ec))
        return Failure {path.string(), 0, "file not found"};
    if (!fs::is_regular_file(path, ec))
        return Failure {path.string(), 0, "not a regular file"};
    const auto fileSize = fs::file_size(path, ec);
    if (!ec && fileSize > maxBytes)
        return Failure {path.string(), 0,
            "the file is " + std::to_string(fileSize) + " bytes long; more than " + std::to_string(maxBytes)
                + " bytes are not read"};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Failure {path.string(), 0, "cannot open for reading: " + ErrnoText(errno)};
    std::string bytes;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        in.seekg(0, std::ios::beg);
        in.read(bytes.data(), size);
        if (in.gcount() != size)
            return Failure {path.string(), 0, "read error"};
    }
    if (in.bad())
        return Failure {path.string(), 0, "read error"};
    return bytes;
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        auto end = lf;
        if (end > start && text[end - 1] == '\r')
            --end;
        lines.push_back(text.substr(start, end - start));
        start = lf + 1;
    }
    return lines;
}

// A device or pipe cannot be replaced by a rename; it is written in place.
Result<void> WriteInPlace(const fs::path& path, std::string_view bytes)
{
    const auto target = path.string();
    std::FILE* file = StepAllowed("create") ? OpenForWriting(path) : nullptr;
    if (file == nullptr)
        return Failure {target, 0, "cannot open the file for writing: " + ErrnoText(errno)};
    errno = 0;
    const bool written = StepAllowed("write")
        && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && StepAllowed("flush")
        && std::fflush(file) == 0;
    const int err = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        return Failure {target, 0, "cannot write the file: " + ErrnoText(written ? errno : err)};
    return {};
}

Result<void> WriteFileAtomic(const fs::path& requested, std::string_view bytes)
{
    std::error_code ec;
    // Through a symbolic link the file it points to is replaced, not the link.
    const auto path = fs::is_symlink(requested, ec) ? fs::weakly_canonical(requested, ec) : requested;
    const auto target = path.string();
    if (fs::is_directory(path, ec))
        return Failure {target, 0, "cannot write: the name is a folder"};
    if (fs::exists(path, ec) && !fs::is_regular_file(path, ec))
        return WriteInPlace(path, bytes);
    // A file without any write permission was protected on purpose; a rename would replace it
    // all the same (even for a user who may not write to it), so it is refused here.
    constexpr auto anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (fs::is_regular_file(path, ec) && (fs::status(path, ec).permissions() & anyWrite) == fs::perms::none)
        return Failure {target, 0, "cannot write: the file is read-only"};
    const auto parent = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    if (!fs::is_directory(parent, ec))
        return Failure {target, 0, "cannot write: the folder does not exist"};

    const auto temp = TemporarySibling(path);
    std::FILE* file = StepAllowed("create") ? OpenForWriting(temp) : nullptr;
    if (file == nullptr)
        return Failure {target, 0, "cannot create the file: " + ErrnoText(errno)};

    auto fail = [&](std::string what) -> Result<void> {
        const int err = errno;
        if (file != nullptr)
            std::fclose(file);
        fs::remove(temp, ec);
        return Failure {target, 0, std::move(what) + ": " + ErrnoText(err)};
    };
    errno = 0;
    if (!StepAllowed("write") || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        return fail("cannot write the file");
    if (!StepAllowed("flush") || std::fflush(file) != 0)
        return fail("cannot write the file");
    // The stream is closed whatever the outcome, so a failed save leaks no descriptor.
    const bool closeAllowed = StepAllowed("close");
    const bool closed = std::fclose(file) == 0 && closeAllowed;
    file = nullptr;
    if (!closed)
        return fail("cannot write the file");

    // Keep the permissions of the file we replace.
    if (fs::exists(path, ec))
        fs::permissions(temp, fs::status(path, ec).permissions(), ec);
    if (!StepAllowed("rename")) {
        errno = EIO;
        return fail("cannot replace the file");
    }
    fs::rename(temp, path, ec);
    if (ec) {
        errno = ec.value();
        return fail("cannot replace the file");
    }
    return {};
}

void SetWriteFaultHookForTesting(WriteFaultHook hook)
{
    FaultHook() = std::move(hook);
}

} // namespace kr39
