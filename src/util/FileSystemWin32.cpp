#ifdef _WIN32

#include "util/FileSystem.h"

#include <windows.h>

#include <random>

namespace kr39::os {

namespace {

std::error_code Generic(std::errc value)
{
    return std::make_error_code(value);
}

// Win32 errors as the generic conditions the callers test.
std::error_code LastError()
{
    switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return Generic(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
        return Generic(std::errc::permission_denied);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return Generic(std::errc::device_or_resource_busy);
    case ERROR_NOT_SAME_DEVICE:
        return Generic(std::errc::cross_device_link);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return Generic(std::errc::file_exists);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Generic(std::errc::no_space_on_device);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return Generic(std::errc::not_enough_memory);
    default:
        return Generic(std::errc::io_error);
    }
}

HANDLE Native(const Handle& handle)
{
    return static_cast<HANDLE>(handle.Native);
}

std::error_code Open(
    const std::filesystem::path& path, DWORD access, DWORD disposition, DWORD attributes, Handle& handle)
{
    handle.Close();
    const HANDLE h = ::CreateFileW(path.c_str(), access,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return LastError();
    handle.Native = h;
    return {};
}

FileType TypeOf(HANDLE h, DWORD attributes)
{
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return FileType::Folder;
    switch (::GetFileType(h)) {
    case FILE_TYPE_DISK:
        return FileType::Regular;
    case FILE_TYPE_CHAR:
        return FileType::CharacterDevice;
    case FILE_TYPE_PIPE:
        return FileType::Fifo;
    default:
        return FileType::Other;
    }
}

} // namespace

Handle::~Handle()
{
    Close();
}

Handle::Handle(Handle&& other) noexcept
    : Native(other.Native)
{
    other.Native = nullptr;
}

Handle& Handle::operator=(Handle&& other) noexcept
{
    if (this != &other) {
        Close();
        Native = other.Native;
        other.Native = nullptr;
    }
    return *this;
}

bool Handle::IsOpen() const
{
    return Native != nullptr;
}

std::error_code Handle::Close()
{
    if (Native == nullptr)
        return {};
    const HANDLE h = static_cast<HANDLE>(Native);
    Native = nullptr;
    return ::CloseHandle(h) ? std::error_code {} : LastError();
}

std::error_code OpenForReading(const std::filesystem::path& path, Handle& handle)
{
    // FILE_FLAG_BACKUP_SEMANTICS lets a folder open, so that Info reports it as one.
    return Open(
        path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, handle);
}

std::error_code OpenForWriting(const std::filesystem::path& path, Handle& handle)
{
    return Open(path, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, handle);
}

std::error_code CreateNew(const std::filesystem::path& path, bool /*privateMode*/, Handle& handle)
{
    return Open(path, GENERIC_WRITE | DELETE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, handle);
}

std::error_code Info(const Handle& handle, FileInfo& info)
{
    info = {};
    BY_HANDLE_FILE_INFORMATION data {};
    const bool haveData = ::GetFileInformationByHandle(Native(handle), &data) != 0;
    info.Type = TypeOf(Native(handle), haveData ? data.dwFileAttributes : 0);
    if (!haveData)
        return info.Type == FileType::Regular ? LastError() : std::error_code {};
    info.Size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    info.Links = data.nNumberOfLinks;
    info.Device = data.dwVolumeSerialNumber;
    info.Inode = (static_cast<std::uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
    info.Mode = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    return {};
}

std::error_code InfoOf(const std::filesystem::path& path, FileInfo& info)
{
    Handle handle;
    if (const auto ec = OpenForReading(path, handle)) {
        info = {};
        if (ec == std::errc::no_such_file_or_directory)
            return {};
        // A file that may not be read is still a file; its attributes tell the rest.
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return ec;
        info.Type = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileType::Folder : FileType::Regular;
        info.Mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
        return {};
    }
    return Info(handle, info);
}

std::error_code ReadSome(const Handle& handle, char* buffer, std::size_t size, std::size_t& got)
{
    DWORD read = 0;
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!::ReadFile(Native(handle), buffer, chunk, &read, nullptr)) {
        if (::GetLastError() == ERROR_BROKEN_PIPE) {
            got = 0;
            return {};
        }
        return LastError();
    }
    got = read;
    return {};
}

std::error_code WriteAll(const Handle& handle, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        if (!::WriteFile(Native(handle), bytes.data(), chunk, &written, nullptr))
            return LastError();
        if (written == 0)
            return Generic(std::errc::io_error);
        bytes.remove_prefix(written);
    }
    return {};
}

std::error_code Truncate(const Handle& handle, std::uint64_t size)
{
    LARGE_INTEGER position {};
    position.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(Native(handle), position, nullptr, FILE_BEGIN) || !::SetEndOfFile(Native(handle)))
        return LastError();
    return {};
}

std::error_code Reserve(const Handle& /*handle*/, std::uint64_t /*size*/)
{
    return {};
}

std::error_code Sync(const Handle& handle)
{
    if (::FlushFileBuffers(Native(handle)) || ::GetFileType(Native(handle)) != FILE_TYPE_DISK)
        return {};
    return LastError();
}

std::error_code CopyOwnerAndMode(const Handle& handle, const FileInfo& from)
{
    // Windows keeps owners in security descriptors that a new file inherits from its folder;
    // the read-only flag is the one mode bit there is, and a file we write has it clear.
    (void)handle;
    (void)from;
    return {};
}

void SyncFolder(const std::filesystem::path& /*folder*/) { }

std::error_code Rename(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return LastError();
    return {};
}

std::error_code Remove(const std::filesystem::path& path)
{
    return ::DeleteFileW(path.c_str()) ? std::error_code {} : LastError();
}

bool MayWrite(const std::filesystem::path& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return true; // the read-only flag of a folder does not protect its files
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return false;
    Handle handle;
    return !OpenForWriting(path, handle);
}

std::error_code TryLock(const Handle& handle, bool& locked)
{
    locked = false;
    OVERLAPPED overlapped {};
    if (::LockFileEx(Native(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
            MAXDWORD, &overlapped)) {
        locked = true;
        return {};
    }
    return ::GetLastError() == ERROR_LOCK_VIOLATION ? std::error_code {} : LastError();
}

std::uint64_t RandomNumber()
{
    static std::mt19937_64 rng {
        std::random_device {}() ^ static_cast<std::uint64_t>(::GetCurrentProcessId())};
    return rng();
}

std::tm LocalTime(std::time_t when)
{
    std::tm local {};
    localtime_s(&local, &when);
    return local;
}

} // namespace kr39::os

#endif
