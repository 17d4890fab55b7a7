#include "util/FileIo.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <span>
#include <system_error>
#include <thread>

#include "util/FileSystem.h"

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

// A failed step of a write: an error code, or the fault hook (which fails like an I/O error).
std::error_code Step(std::string_view step, const std::function<std::error_code()>& call)
{
    if (!StepAllowed(step))
        return std::make_error_code(std::errc::io_error);
    return call();
}

// The bytes of a write: pieces written one after the other.
struct Bytes {
    std::span<const std::string_view> Pieces;
    std::uint64_t Size = 0;
};

// Writes the pieces in order. Short pieces are gathered into blocks first, so that a text of
// many small pieces takes few system calls.
std::error_code WritePieces(const os::Handle& file, const Bytes& bytes)
{
    constexpr std::size_t blockSize = 256 * 1024;
    std::string block;
    if (bytes.Pieces.size() > 1)
        block.reserve(blockSize);
    for (const auto piece : bytes.Pieces) {
        if (block.size() + piece.size() > blockSize) {
            if (const auto ec = os::WriteAll(file, block))
                return ec;
            block.clear();
        }
        if (piece.size() < blockSize)
            block.append(piece);
        else if (const auto ec = os::WriteAll(file, piece))
            return ec;
    }
    return os::WriteAll(file, block);
}

// The name of a file in a failure; an empty name is shown as "".
std::string NameOf(const fs::path& path)
{
    return path.empty() ? std::string("\"\"") : path.string();
}

std::string Text(const std::error_code& ec)
{
    return ec ? ec.message() : std::string("unknown error");
}

const char* TypeName(os::FileType type)
{
    switch (type) {
    case os::FileType::Folder:
        return "the name is a folder";
    case os::FileType::Fifo:
        return "the name is a named pipe";
    case os::FileType::Socket:
        return "the name is a socket";
    case os::FileType::BlockDevice:
        return "the name is a block device";
    default:
        return "not a regular file or character device";
    }
}

// Opens a file for reading and checks what it is and how large on the opened file.
Result<os::Handle> OpenRegularFile(const fs::path& path, std::uintmax_t maxBytes, os::FileInfo& info)
{
    if (path.empty())
        return Failure {NameOf(path), 0, "file not found"};
    // A device is not even opened (opening one may rewind a tape or raise a modem line); what
    // was opened is checked again below, as the name may meanwhile stand for another file.
    if (os::FileInfo named; !os::InfoOf(path, named) && named.Type != os::FileType::Regular
        && named.Type != os::FileType::Missing)
        return Failure {NameOf(path), 0, "not a regular file"};
    os::Handle handle;
    if (const auto ec = os::OpenForReading(path, handle)) {
        if (ec == std::errc::no_such_file_or_directory)
            return Failure {NameOf(path), 0, "file not found"};
        return Failure {NameOf(path), 0, "cannot open for reading: " + Text(ec)};
    }
    if (const auto ec = os::Info(handle, info))
        return Failure {NameOf(path), 0, "cannot open for reading: " + Text(ec)};
    if (info.Type != os::FileType::Regular)
        return Failure {NameOf(path), 0, "not a regular file"};
    if (info.Size > maxBytes)
        return Failure {NameOf(path), 0,
            "the file is " + std::to_string(info.Size) + " bytes long; more than " + std::to_string(maxBytes)
                + " bytes are not read"};
    return handle;
}

// Reads at most maxBytes; stops early after `maxLines` line feeds.
Result<std::string> ReadCapped(const fs::path& path, std::uintmax_t maxBytes, std::size_t maxLines)
{
    os::FileInfo info;
    auto opened = OpenRegularFile(path, maxBytes, info);
    if (!opened)
        return opened.Error();
    const auto& handle = opened.Value();
    std::string bytes;
    std::size_t lineFeeds = 0;
    constexpr std::size_t kChunk = 64 * 1024;
    // A whole file is read in place into room for what it holds now; what follows (a file
    // that grew meanwhile, and a head of lines) is read chunk by chunk.
    if (maxLines == 0)
        bytes.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(info.Size, maxBytes)));
    std::size_t filled = 0;
    for (;;) {
        std::array<char, kChunk> chunk;
        const bool inPlace = filled < bytes.size();
        const auto room = inPlace
            ? bytes.size() - filled
            : static_cast<std::size_t>(std::min<std::uintmax_t>(kChunk, maxBytes + 1 - filled));
        std::size_t got = 0;
        if (const auto ec = os::ReadSome(handle, inPlace ? bytes.data() + filled : chunk.data(), room, got))
            return Failure {NameOf(path), 0, "read error: " + Text(ec)};
        if (got == 0)
            break;
        if (!inPlace)
            bytes.append(chunk.data(), got);
        const auto old = filled;
        filled += got;
        if (filled > maxBytes)
            return Failure {NameOf(path), 0,
                "the file grew while it was read; more than " + std::to_string(maxBytes)
                    + " bytes are not read"};
        if (maxLines == 0)
            continue;
        for (auto pos = bytes.find('\n', old); pos != std::string::npos; pos = bytes.find('\n', pos + 1)) {
            if (++lineFeeds == maxLines) {
                bytes.resize(pos + 1);
                return bytes;
            }
        }
    }
    bytes.resize(filled); // a file that shrank meanwhile
    return bytes;
}

// The file a name stands for: symbolic links are followed to their end, also to a target
// that does not exist yet.
Result<fs::path> FollowLinks(const fs::path& requested)
{
    constexpr int kMaxLinks = 40; // as the kernel allows
    fs::path path = requested;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec)))
            return path;
        const auto target = fs::read_symlink(path, ec);
        if (ec)
            return Failure {NameOf(requested), 0, "cannot write: " + Text(ec)};
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return Failure {NameOf(requested), 0, "cannot write: too many levels of symbolic links"};
}

bool RenameImpossible(const std::error_code& ec)
{
    return ec == std::errc::device_or_resource_busy || ec == std::errc::cross_device_link
        || ec == std::errc::operation_not_permitted || ec == std::errc::permission_denied;
}

// Writes a regular file or a character device where it is: nothing new is created.
Result<void> WriteInPlace(const fs::path& path, const Bytes& bytes)
{
    const auto target = NameOf(path);
    os::Handle file;
    if (const auto ec = Step("create", [&] { return os::OpenForWriting(path, file); }))
        return Failure {target, 0, "cannot open the file for writing: " + Text(ec)};
    // What was opened decides, not what the name showed before.
    os::FileInfo info;
    if (const auto ec = os::Info(file, info))
        return Failure {target, 0, "cannot open the file for writing: " + Text(ec)};
    const bool regular = info.Type == os::FileType::Regular;
    if (!regular && info.Type != os::FileType::CharacterDevice)
        return Failure {target, 0, std::string("cannot write: ") + TypeName(info.Type)};
    // A full disk shows here, before a byte of the old file is overwritten.
    if (const auto ec = regular ? os::Reserve(file, bytes.Size) : std::error_code {})
        return Failure {target, 0, "cannot write the file: " + Text(ec)};
    auto ec = Step("write", [&] { return WritePieces(file, bytes); });
    if (!ec && regular)
        ec = os::Truncate(file, bytes.Size);
    if (!ec)
        ec = Step("flush", [&] { return os::Sync(file); });
    const bool closeAllowed = StepAllowed("close");
    const auto closed = file.Close();
    if (!ec)
        ec = closed ? closed : closeAllowed ? std::error_code {} : std::make_error_code(std::errc::io_error);
    if (ec)
        return Failure {target, 0, "cannot write the file: " + Text(ec)};
    return {};
}

// A temporary file beside the target, with a short name (the target's may be 255 bytes).
Result<fs::path> CreateTemporary(
    const fs::path& folder, const fs::path& target, bool keepPrivate, os::Handle& file)
{
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto temp = folder / (".kr39-" + std::to_string(os::RandomNumber() % 1000000000) + ".tmp");
        ec = Step("create", [&] { return os::CreateNew(temp, keepPrivate, file); });
        if (!ec)
            return temp;
        if (ec != std::errc::file_exists)
            break;
    }
    return Failure {NameOf(target), 0, "cannot create the file: " + Text(ec)};
}

enum class ReplaceOutcome { Done, Failed, InPlace };

// The temporary file, then the rename. InPlace: the replacement would be wrong (the owner
// cannot be kept, the rename is refused); nothing was changed.
ReplaceOutcome Replace(const fs::path& path, const Bytes& bytes, const os::FileInfo* old, Failure& failure)
{
    const auto folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    os::Handle file;
    auto temp = CreateTemporary(folder, path, old != nullptr, file);
    if (!temp) {
        failure = temp.Error();
        return ReplaceOutcome::Failed;
    }
    auto discard = [&] {
        file.Close();
        os::Remove(temp.Value());
    };
    if (old != nullptr && os::CopyOwnerAndMode(file, *old)) {
        discard();
        return ReplaceOutcome::InPlace;
    }
    auto fail = [&](const char* what, const std::error_code& ec) {
        discard();
        failure = Failure {NameOf(path), 0, std::string(what) + ": " + Text(ec)};
        return ReplaceOutcome::Failed;
    };
    if (const auto ec = Step("write", [&] { return WritePieces(file, bytes); }))
        return fail("cannot write the file", ec);
    if (const auto ec = Step("flush", [&] { return os::Sync(file); }))
        return fail("cannot write the file", ec);
    // The file is closed whatever the outcome, so a failed save leaks no descriptor.
    const bool closeAllowed = StepAllowed("close");
    if (auto ec = file.Close(); ec || !closeAllowed)
        return fail("cannot write the file", ec ? ec : std::make_error_code(std::errc::io_error));
    const auto ec = Step("rename", [&] { return os::Rename(temp.Value(), path); });
    if (ec && old != nullptr && RenameImpossible(ec)) {
        discard();
        return ReplaceOutcome::InPlace;
    }
    if (ec)
        return fail("cannot replace the file", ec);
    os::SyncFolder(folder);
    return ReplaceOutcome::Done;
}

} // namespace

Result<std::string> ReadFileBytes(const fs::path& path, std::uintmax_t maxBytes)
{
    return ReadCapped(path, maxBytes, 0);
}

Result<std::string> ReadFileHead(const fs::path& path, std::size_t maxLines, std::uintmax_t maxBytes)
{
    return ReadCapped(path, maxBytes, maxLines);
}

bool LineSplitter::Next(std::string_view& line)
{
    if (AtEnd())
        return false;
    const auto lf = m_text.find('\n', m_pos);
    const auto stop = lf == std::string_view::npos ? m_text.size() : lf;
    auto end = stop;
    if (lf != std::string_view::npos && end > m_pos && m_text[end - 1] == '\r')
        --end;
    line = m_text.substr(m_pos, end - m_pos);
    m_pos = lf == std::string_view::npos ? m_text.size() : lf + 1;
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    LineSplitter splitter(text);
    for (std::string_view line; splitter.Next(line);)
        lines.push_back(line);
    return lines;
}

Result<void> WriteFileAtomic(const fs::path& requested, std::string_view bytes)
{
    return WriteFileAtomic(requested, std::span<const std::string_view>(&bytes, 1));
}

Result<void> WriteFileAtomic(const fs::path& requested, std::span<const std::string_view> pieces)
{
    Bytes bytes {pieces};
    for (const auto piece : pieces)
        bytes.Size += piece.size();
    if (requested.empty())
        return Failure {NameOf(requested), 0, "cannot write: the name is empty"};
    const auto followed = FollowLinks(requested);
    if (!followed)
        return followed.Error();
    const auto& path = followed.Value();
    const auto target = NameOf(path);

    os::FileInfo info;
    if (const auto ec = os::InfoOf(path, info))
        return Failure {target, 0, "cannot write: " + Text(ec)};
    if (info.Type == os::FileType::CharacterDevice)
        return WriteInPlace(path, bytes);
    if (info.Type != os::FileType::Regular && info.Type != os::FileType::Missing)
        return Failure {target, 0, std::string("cannot write: ") + TypeName(info.Type)};

    const auto folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    if (info.Type == os::FileType::Missing) {
        std::error_code ec;
        if (!fs::is_directory(folder, ec))
            return Failure {target, 0, "cannot write: the folder does not exist"};
    } else {
        // A file without any write permission was protected on purpose, even from root; one the
        // user may not write stays as it is, although a rename in a writable folder could replace it.
        if ((info.Mode & 0222) == 0)
            return Failure {target, 0, "cannot write: the file is read-only"};
        if (!os::MayWrite(path))
            return Failure {target, 0, "cannot write: no permission to write the file"};
        // Other names of the file would keep the old content; a folder that may not be
        // written takes no temporary file.
        if (info.Links > 1 || !os::MayWrite(folder))
            return WriteInPlace(path, bytes);
    }
    Failure failure;
    switch (Replace(path, bytes, info.Type == os::FileType::Regular ? &info : nullptr, failure)) {
    case ReplaceOutcome::Done:
        return {};
    case ReplaceOutcome::InPlace:
        return WriteInPlace(path, bytes);
    case ReplaceOutcome::Failed:
        break;
    }
    return failure;
}

void SetWriteFaultHookForTesting(WriteFaultHook hook)
{
    FaultHook() = std::move(hook);
}

struct FileLock::State {
    os::Handle Handle;
};

FileLock::FileLock() = default;
FileLock::~FileLock() = default;
FileLock::FileLock(FileLock&&) noexcept = default;
FileLock& FileLock::operator=(FileLock&&) noexcept = default;

Result<FileLock> FileLock::Acquire(const fs::path& path, int waitSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(waitSeconds);
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        FileLock lock;
        lock.m_state = std::make_unique<State>();
        auto& handle = lock.m_state->Handle;
        os::FileInfo locked;
        if (os::InfoOf(path, locked) || locked.Type != os::FileType::Regular
            || os::OpenForReading(path, handle) || os::Info(handle, locked)
            || locked.Type != os::FileType::Regular)
            return FileLock {};
        bool taken = false;
        if (const auto ec = os::TryLock(handle, taken))
            return Failure {NameOf(path), 0, "cannot lock the file: " + Text(ec)};
        if (taken) {
            // Another command may have replaced the file while we waited: the lock must be on
            // the file that now has the name.
            os::FileInfo now;
            if (os::InfoOf(path, now) || (now.Device == locked.Device && now.Inode == locked.Inode))
                return lock;
            continue;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return Failure {NameOf(path), 0,
                "the file is locked by another program (waited " + std::to_string(waitSeconds) + " seconds)"};
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

} // namespace kr39
