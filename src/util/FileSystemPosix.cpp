#ifndef _WIN32

#include "util/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace kr39::os {

namespace {

std::error_code LastError()
{
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

FileType TypeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return FileType::Regular;
    if (S_ISDIR(mode))
        return FileType::Folder;
    if (S_ISCHR(mode))
        return FileType::CharacterDevice;
    if (S_ISBLK(mode))
        return FileType::BlockDevice;
    if (S_ISFIFO(mode))
        return FileType::Fifo;
    if (S_ISSOCK(mode))
        return FileType::Socket;
    return FileType::Other;
}

void Fill(const struct stat& st, FileInfo& info)
{
    info.Type = TypeOf(st.st_mode);
    info.Size = static_cast<std::uint64_t>(st.st_size);
    info.Links = static_cast<std::uint64_t>(st.st_nlink);
    info.Device = static_cast<std::uint64_t>(st.st_dev);
    info.Inode = static_cast<std::uint64_t>(st.st_ino);
    info.Owner = static_cast<std::uint32_t>(st.st_uid);
    info.Group = static_cast<std::uint32_t>(st.st_gid);
    info.Mode = static_cast<std::uint32_t>(st.st_mode & 07777);
}

std::error_code Open(const std::filesystem::path& path, int flags, mode_t mode, Handle& handle)
{
    handle.Close();
    int fd = -1;
    do
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY, mode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return LastError();
    handle.Native = fd;
    return {};
}

} // namespace

Handle::~Handle()
{
    Close();
}

Handle::Handle(Handle&& other) noexcept
    : Native(other.Native)
{
    other.Native = -1;
}

Handle& Handle::operator=(Handle&& other) noexcept
{
    if (this != &other) {
        Close();
        Native = other.Native;
        other.Native = -1;
    }
    return *this;
}

bool Handle::IsOpen() const
{
    return Native >= 0;
}

std::error_code Handle::Close()
{
    if (Native < 0)
        return {};
    const int fd = Native;
    Native = -1;
    // The descriptor is gone whatever close() says; it is never closed twice.
    return ::close(fd) == 0 ? std::error_code {} : LastError();
}

std::error_code OpenForReading(const std::filesystem::path& path, Handle& handle)
{
    return Open(path, O_RDONLY | O_NONBLOCK, 0, handle);
}

std::error_code OpenForWriting(const std::filesystem::path& path, Handle& handle)
{
    if (auto ec = Open(path, O_WRONLY | O_NONBLOCK, 0, handle))
        return ec;
    // Regular files and devices are written blocking, as usual.
    const int flags = ::fcntl(handle.Native, F_GETFL);
    if (flags < 0 || ::fcntl(handle.Native, F_SETFL, flags & ~O_NONBLOCK) < 0)
        return LastError();
    return {};
}

std::error_code CreateNew(const std::filesystem::path& path, bool privateMode, Handle& handle)
{
    return Open(path, O_WRONLY | O_CREAT | O_EXCL, privateMode ? 0600 : 0666, handle);
}

std::error_code Info(const Handle& handle, FileInfo& info)
{
    struct stat st { };
    if (::fstat(handle.Native, &st) != 0)
        return LastError();
    Fill(st, info);
    return {};
}

std::error_code InfoOf(const std::filesystem::path& path, FileInfo& info)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0) {
        info = {};
        if (errno == ENOENT)
            return {};
        return LastError();
    }
    Fill(st, info);
    return {};
}

std::error_code ReadSome(const Handle& handle, char* buffer, std::size_t size, std::size_t& got)
{
    ssize_t n = -1;
    do
        n = ::read(handle.Native, buffer, size);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return LastError();
    got = static_cast<std::size_t>(n);
    return {};
}

std::error_code WriteAll(const Handle& handle, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(handle.Native, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 ? std::make_error_code(std::errc::io_error) : LastError();
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

std::error_code Truncate(const Handle& handle, std::uint64_t size)
{
    return ::ftruncate(handle.Native, static_cast<off_t>(size)) == 0 ? std::error_code {} : LastError();
}

std::error_code Reserve(const Handle& handle, std::uint64_t size)
{
#ifdef __linux__
    if (size == 0 || ::fallocate(handle.Native, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0)
        return {};
    if (errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL)
        return {};
    return LastError();
#else
    (void)handle;
    (void)size;
    return {};
#endif
}

std::error_code Sync(const Handle& handle)
{
    if (::fsync(handle.Native) == 0 || errno == EINVAL || errno == EROFS)
        return {};
    return LastError();
}

std::error_code CopyOwnerAndMode(const Handle& handle, const FileInfo& from)
{
    // The owner first: a change of owner clears the set-user-ID bit that the mode may carry.
    if (::fchown(handle.Native, from.Owner, from.Group) != 0)
        return LastError();
    if (::fchmod(handle.Native, from.Mode) != 0)
        return LastError();
    return {};
}

void SyncFolder(const std::filesystem::path& folder)
{
    Handle handle;
    if (!Open(folder, O_RDONLY | O_DIRECTORY, 0, handle))
        ::fsync(handle.Native);
}

std::error_code Rename(const std::filesystem::path& from, const std::filesystem::path& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code {} : LastError();
}

std::error_code Remove(const std::filesystem::path& path)
{
    return ::unlink(path.c_str()) == 0 ? std::error_code {} : LastError();
}

bool MayWrite(const std::filesystem::path& path)
{
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::error_code TryLock(const Handle& handle, bool& locked)
{
    locked = false;
    if (::flock(handle.Native, LOCK_EX | LOCK_NB) == 0) {
        locked = true;
        return {};
    }
    return errno == EWOULDBLOCK || errno == EINTR ? std::error_code {} : LastError();
}

std::uint64_t RandomNumber()
{
    static std::mt19937_64 rng {std::random_device {}() ^ static_cast<std::uint64_t>(::getpid())};
    return rng();
}

std::tm LocalTime(std::time_t when)
{
    std::tm local {};
    localtime_r(&when, &local);
    return local;
}

} // namespace kr39::os

#endif
