#pragma once

// The few operating-system calls behind the file code: POSIX (FileSystemPosix.cpp) and Win32
// (FileSystemWin32.cpp). Errors come back as generic error codes (std::errc values), so that
// callers test them the same way on both.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace kr39::os {

enum class FileType { Missing, Regular, Folder, CharacterDevice, BlockDevice, Fifo, Socket, Other };

struct FileInfo {
    FileType Type = FileType::Missing;
    std::uint64_t Size = 0;
    std::uint64_t Links = 1;
    std::uint64_t Device = 0; // with Inode: the identity of the file
    std::uint64_t Inode = 0;
    std::uint32_t Owner = 0;
    std::uint32_t Group = 0;
    std::uint32_t Mode = 0; // permission bits (07777); 0200 set where Windows has no read-only flag
};

// An open file; closed when it goes out of scope.
class Handle {
public:
    Handle() = default;
    ~Handle();
    Handle(Handle&& other) noexcept;
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool IsOpen() const;
    std::error_code Close();

#ifdef _WIN32
    void* Native = nullptr;
#else
    int Native = -1;
#endif
};

// Opening never blocks, not even on a FIFO without a writer or reader, and never makes a
// terminal the controlling one. Callers check the type (Info) before reading or writing.
std::error_code OpenForReading(const std::filesystem::path& path, Handle& handle);
// An existing file for writing, neither created nor truncated.
std::error_code OpenForWriting(const std::filesystem::path& path, Handle& handle);
// A new file that must not exist yet; `privateMode` leaves it readable by its owner alone.
std::error_code CreateNew(const std::filesystem::path& path, bool privateMode, Handle& handle);

std::error_code Info(const Handle& handle, FileInfo& info);
// Follows symbolic links; a missing file gives Type Missing and no error.
std::error_code InfoOf(const std::filesystem::path& path, FileInfo& info);

// Reads up to `size` bytes; `got` is 0 at the end of the file.
std::error_code ReadSome(const Handle& handle, char* buffer, std::size_t size, std::size_t& got);
std::error_code WriteAll(const Handle& handle, std::string_view bytes);
std::error_code Truncate(const Handle& handle, std::uint64_t size);
// Reserves room for `size` bytes without changing the file, so that a full disk shows before
// anything is overwritten. Succeeds where the file system cannot reserve.
std::error_code Reserve(const Handle& handle, std::uint64_t size);
// Flushes the file to the disk. Succeeds for devices that have nothing to flush.
std::error_code Sync(const Handle& handle);
// Gives the file the owner, group and permission bits of `from`.
std::error_code CopyOwnerAndMode(const Handle& handle, const FileInfo& from);
// Makes a rename in the folder durable; best effort.
void SyncFolder(const std::filesystem::path& folder);
std::error_code Rename(const std::filesystem::path& from, const std::filesystem::path& to);
std::error_code Remove(const std::filesystem::path& path);

// Whether the calling user may write the file or create files in the folder (effective ids).
bool MayWrite(const std::filesystem::path& path);

// An exclusive advisory lock on the open file, without waiting; `locked` tells whether it was
// taken. It is released when the handle closes.
std::error_code TryLock(const Handle& handle, bool& locked);

// A random number for temporary names.
std::uint64_t RandomNumber();

// The local calendar time of `when` (the platform's thread-safe localtime).
std::tm LocalTime(std::time_t when);

} // namespace kr39::os
