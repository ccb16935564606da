#include "util/file_io.h"

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "util/error.h"

namespace korvid::util {
namespace {

class TFd {
public:
    explicit TFd(int fd) : m_fd(fd) {}
    ~TFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    [[nodiscard]] int Get() const { return m_fd; }
    // Closes now so that a failing close can be reported.
    [[nodiscard]] int Close() { return ::close(std::exchange(m_fd, -1)); }

private:
    int m_fd;
};

// Removes the temporary file unless it was renamed over the target.
class TTempFile {
public:
    explicit TTempFile(const std::filesystem::path& target)
        : m_name(
              (target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path()) /
              ("." + target.filename().string() + ".XXXXXX"))
    {
        std::string pattern = m_name.string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0)
            throw TError(CannotWrite(FileCause(target, errno)));
        m_fd = std::make_unique<TFd>(fd);
        m_name = pattern;
    }
    ~TTempFile()
    {
        m_fd.reset();
        if (!m_renamed)
            ::unlink(m_name.c_str());
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    [[nodiscard]] int Fd() const { return m_fd->Get(); }
    [[nodiscard]] const std::filesystem::path& Name() const { return m_name; }
    [[nodiscard]] int Close() { return m_fd->Close(); }
    void Renamed() { m_renamed = true; }

private:
    std::filesystem::path m_name;
    std::unique_ptr<TFd> m_fd;
    bool m_renamed = false;
};

// Faulting in a large buffer 4 KiB at a time costs more than reading the file into it on
// virtual machines; transparent huge pages, where the kernel offers them, take 2 MiB a fault.
void AdviseHugePages(std::string& buffer, std::size_t bytes)
{
    constexpr std::size_t Huge = std::size_t{2} << 20;
    if (bytes < 4 * Huge)
        return;
    buffer.reserve(bytes);
    const auto start = reinterpret_cast<std::uintptr_t>(buffer.data());
    const std::uintptr_t first = (start + Huge - 1) & ~(Huge - 1);
    const std::uintptr_t last = (start + bytes) & ~(Huge - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE); // advice only
}

// Reads until room is full or the file ends; failure is errno of a failed read, else 0.
std::size_t ReadUpTo(int fd, char* data, std::size_t room, int& failure) noexcept
{
    std::size_t have = 0;
    while (have < room) {
        const ssize_t got = ::read(fd, data + have, room - have);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            failure = got < 0 ? errno : 0;
            break;
        }
        have += static_cast<std::size_t>(got);
    }
    return have;
}

} // namespace

TFileReadResult ReadFileShared(const std::filesystem::path& path, std::size_t maxBytes)
{
    TFileReadResult result;
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        result.Outcome = errno == ENOENT ? TFileRead::Missing : TFileRead::Failed;
        result.Message = FileCause(path, errno);
        return result;
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        result.Outcome = TFileRead::Failed;
        result.Message = FileCause(path, errno);
        return result;
    }
    if (S_ISDIR(info.st_mode)) {
        result.Outcome = TFileRead::Failed;
        result.Message = FileCause(path, EISDIR);
        return result;
    }
    const auto announced = static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0);
    if (announced > maxBytes) {
        result.Outcome = TFileRead::Failed;
        result.Message =
            FileCause(path, "the file is too large (" + std::to_string(announced) + " bytes)");
        return result;
    }
    // The client appends while we read: take what is there now, never wait for more.
    std::string bytes;
    AdviseHugePages(bytes, announced);
    int failure = 0;
    std::size_t have = 0;
    auto fill = [&](char* data, std::size_t room) noexcept {
        have = ReadUpTo(fd.Get(), data, room, failure);
        return have;
    };
#ifdef __cpp_lib_string_resize_and_overwrite
    bytes.resize_and_overwrite(announced, fill); // read() writes every byte: no zeroing first
#else
    bytes.resize(announced);
    bytes.resize(fill(bytes.data(), bytes.size()));
#endif
    char more[65536];
    while (failure == 0 && have == bytes.size()) { // the file may have grown since it was sized
        const std::size_t got = ReadUpTo(fd.Get(), more, sizeof more, failure);
        if (got == 0)
            break;
        if (have + got > maxBytes) {
            result.Outcome = TFileRead::Failed;
            result.Message = FileCause(path, "the file is too large");
            return result;
        }
        bytes.append(more, got);
        have += got;
    }
    if (failure != 0) {
        result.Outcome = TFileRead::Failed;
        result.Message = FileCause(path, failure);
        return result;
    }
    result.Outcome = TFileRead::Read;
    result.Bytes = std::move(bytes);
    return result;
}

std::string ReadWholeFile(const std::filesystem::path& path)
{
    auto result = ReadFileShared(path);
    switch (result.Outcome) {
    case TFileRead::Read:
        return std::move(result.Bytes);
    case TFileRead::Missing:
    case TFileRead::Failed:
        throw TError(CannotRead(result.Message));
    }
    throw TError(CannotRead(path.string()));
}

void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         const TAtomicWriteHooks& hooks)
{
    TTempFile temp(target);
    constexpr std::size_t Chunk = 1 << 20;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t want = std::min(Chunk, bytes.size() - done);
        const ssize_t put = ::write(temp.Fd(), bytes.data() + done, want);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            throw TError(CannotWrite(FileCause(target, errno)));
        }
        done += static_cast<std::size_t>(put);
        if (hooks.AfterChunk)
            hooks.AfterChunk(done);
    }
    // The bytes reach the disk before the name points at them.
    if (::fsync(temp.Fd()) != 0 || ::fchmod(temp.Fd(), 0644) != 0)
        throw TError(CannotWrite(FileCause(target, errno)));
    if (temp.Close() != 0)
        throw TError(CannotWrite(FileCause(target, errno)));
    if (hooks.BeforeRename)
        hooks.BeforeRename();
    if (::rename(temp.Name().c_str(), target.c_str()) != 0)
        throw TError(CannotWrite(FileCause(target, errno)));
    temp.Renamed();
    const auto folder =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    TFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
}

} // namespace korvid::util
