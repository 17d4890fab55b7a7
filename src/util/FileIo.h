#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "util/Result.h"

namespace kr39 {

// Every file the program reads (catalog, station file, templates) is a small text file; a
// bigger one is refused before it is read, so that picking a wrong file (a disk image, a
// video) gives a message instead of exhausting memory.
inline constexpr std::uintmax_t MaxReadBytes = 64u * 1024u * 1024u;

// The whole file as bytes, unchanged. Fails on a missing, unreadable or non-regular file and
// on one larger than `maxBytes`. The type and size are checked on the opened file, which is
// never read past `maxBytes`, so a file swapped or grown meanwhile changes nothing; opening
// never waits (a named pipe is refused at once).
Result<std::string> ReadFileBytes(const std::filesystem::path& path, std::uintmax_t maxBytes = MaxReadBytes);

// As ReadFileBytes, but reading stops after the `maxLines`-th line feed: the bytes up to and
// including it (the whole file when it has fewer lines).
Result<std::string> ReadFileHead(
    const std::filesystem::path& path, std::size_t maxLines, std::uintmax_t maxBytes = MaxReadBytes);

// Goes through a text line by line, by the rules of SplitLines, without a list of all lines.
class LineSplitter {
public:
    explicit LineSplitter(std::string_view text)
        : m_text(text)
    {
    }
    bool AtEnd() const { return m_pos >= m_text.size(); }
    // The next line; false at the end of the text.
    bool Next(std::string_view& line);

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Splits text into lines. A line ends at CR LF or at a bare LF; the terminator is not part of
// the line. Text after the last terminator is one more line; a terminator at the very end
// opens no further line, so "a\r\nb\r\n" and "a\r\nb" both give {"a", "b"} and "" gives {}.
// A CR that is not followed by LF stays in the line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Writes bytes to path atomically: a temporary file in the same folder is written, synced,
// given the old file's owner, group and mode and renamed over the target only when complete,
// so a failure never damages a file that was there. Symbolic links are followed (a dangling
// one makes its target). Where a rename would be wrong - the file has other hard links, its
// owner cannot be kept, the folder may not be written, the file is mounted or on another
// device - and for character devices, the file is written in place (room for it is reserved
// first where the file system can). Refused at once: folders, named pipes, sockets, block
// devices, and files the user may not write or that nobody may write. The failure names the
// path and the step that failed.
Result<void> WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);
// The same for a text kept as pieces, written one after the other.
Result<void> WriteFileAtomic(const std::filesystem::path& path, std::span<const std::string_view> pieces);

// Test seam for the write path: while set, WriteFileAtomic calls it before each step
// ("create", "write", "flush", "close", "rename") and fails that step when it returns false.
using WriteFaultHook = std::function<bool(std::string_view step)>;
void SetWriteFaultHookForTesting(WriteFaultHook hook);

// An exclusive lock on an existing file, held from before it is read until after it is
// replaced, so that commands editing one file one after another never lose a change. A file
// that is replaced while waiting is locked again under its name. Released on destruction.
class FileLock {
public:
    FileLock();
    ~FileLock();
    FileLock(FileLock&&) noexcept;
    FileLock& operator=(FileLock&&) noexcept;

    // Waits up to `waitSeconds` for the lock on `path`. A missing file or one that is no
    // regular file needs no lock: success without one.
    static Result<FileLock> Acquire(const std::filesystem::path& path, int waitSeconds = 20);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace kr39
