#include "platform/runtime/Streams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/runtime/Exceptions.h"
#include "platform/runtime/Files.h"

namespace vardel {

int64_t TStream::Size() {
    const int64_t here = Seek(0, SeekOrigin::Current);
    const int64_t end = Seek(0, SeekOrigin::End);
    Seek(here, SeekOrigin::Begin);
    return end;
}

void TStream::ReadBuffer(void* buffer, size_t n) {
    if (n != 0 && Read(buffer, n) != n) throw EReadError(msg::kStreamRead);
}

void TStream::WriteBuffer(const void* buffer, size_t n) {
    if (n != 0 && Write(buffer, n) != n) throw EWriteError(msg::kStreamWrite);
}

int TStream::ReadByte() {
    uint8_t b;
    return Read(&b, 1) == 1 ? b : -1;
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) count = source.Size() - source.Position();
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min<int64_t>(count, 1 << 16)));
    int64_t left = count;
    while (left > 0) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(left, chunk.size()));
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        left -= static_cast<int64_t>(n);
    }
    return count;
}

namespace {
// Clamps a requested position into [0, size] as the memory streams allow.
size_t SeekIn(int64_t offset, SeekOrigin origin, size_t position, size_t size) {
    int64_t base = 0;
    if (origin == SeekOrigin::Current) base = static_cast<int64_t>(position);
    if (origin == SeekOrigin::End) base = static_cast<int64_t>(size);
    const int64_t target = base + offset;
    return target < 0 ? 0 : static_cast<size_t>(target);
}
}  // namespace

size_t TMemoryStream::Read(void* buffer, size_t n) {
    if (position_ >= data_.size()) return 0;
    n = std::min(n, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t n) {
    if (n == 0) return 0;
    if (position_ + n > data_.size()) data_.resize(position_ + n);
    std::memcpy(data_.data() + position_, buffer, n);
    position_ += n;
    return n;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    position_ = SeekIn(offset, origin, position_, data_.size());
    return static_cast<int64_t>(position_);
}

void TMemoryStream::SetSize(int64_t size) {
    data_.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
    position_ = std::min(position_, data_.size());
}

size_t TReadOnlyMemoryStream::Read(void* buffer, size_t n) {
    if (position_ >= size_) return 0;
    n = std::min(n, size_ - position_);
    std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

size_t TReadOnlyMemoryStream::Write(const void*, size_t) {
    return 0;
}

int64_t TReadOnlyMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    position_ = SeekIn(offset, origin, position_, size_);
    return static_cast<int64_t>(position_);
}

void TReadOnlyMemoryStream::SetSize(int64_t) {
    throw EWriteError(msg::kStreamWrite);
}

namespace {
constexpr size_t kFileBuffer = 64 * 1024;
}

namespace {
// Readers share a file and keep writers out while they read; a writer has it alone.
// Linux enforces this only among programs that take locks (as Vardel does), so a
// load can still see a change made by a program that writes without asking.
bool LockWholeFile(int fd, short kind) {
    struct flock lock {};
    lock.l_type = kind;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}
}  // namespace

TFileStream::TFileStream(std::string_view name, FileMode mode) {
    const std::string path = ResolveFileName(name);
    if (mode == FileMode::OpenRead) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd_ >= 0 &&
            (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode) || !LockWholeFile(fd_, F_RDLCK))) {
            ::close(fd_);
            fd_ = -1;
        }
        if (fd_ < 0) throw EFOpenError(Format(msg::kFOpen, {name}));
    } else {
        MakeDriveFolder(name);
        // Truncated only once the file is ours, so that a load in progress keeps its bytes.
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        struct stat st {};
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !LockWholeFile(fd_, F_WRLCK) ||
                         (S_ISREG(st.st_mode) && ::ftruncate(fd_, 0) != 0))) {
            ::close(fd_);
            fd_ = -1;
        }
        if (fd_ < 0) throw EFCreateError(Format(msg::kFCreate, {name}));
    }
    buffer_.resize(kFileBuffer);
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) {
        FlushWrites();
        ::close(fd_);
    }
}

void TFileStream::Flush() {
    if (!FlushWrites()) throw EWriteError(msg::kStreamWrite);
}

bool TFileStream::FlushWrites() {
    size_t done = 0;
    while (done < pendingWrite_) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, pendingWrite_ - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            pendingWrite_ = 0;
            return false;
        }
        done += static_cast<size_t>(n);
        filePos_ += n;
    }
    pendingWrite_ = 0;
    return true;
}

void TFileStream::DropReadBuffer() {
    if (bufferLen_ > bufferPos_) {
        // Give the unread part back so that the descriptor sits at the logical position.
        filePos_ = ::lseek(fd_, filePos_ - static_cast<int64_t>(bufferLen_ - bufferPos_), SEEK_SET);
    }
    bufferPos_ = bufferLen_ = 0;
}

size_t TFileStream::Read(void* buffer, size_t n) {
    if (!FlushWrites()) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < n) {
        if (bufferPos_ < bufferLen_) {
            const size_t take = std::min(n - done, bufferLen_ - bufferPos_);
            std::memcpy(out + done, buffer_.data() + bufferPos_, take);
            bufferPos_ += take;
            done += take;
            continue;
        }
        if (n - done >= buffer_.size()) {
            // Large reads go straight to the caller's memory.
            const ssize_t got = ::read(fd_, out + done, n - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            filePos_ += got;
            done += static_cast<size_t>(got);
            continue;
        }
        const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        filePos_ += got;
        bufferPos_ = 0;
        bufferLen_ = static_cast<size_t>(got);
    }
    return done;
}

size_t TFileStream::Write(const void* buffer, size_t n) {
    DropReadBuffer();
    const auto* in = static_cast<const uint8_t*>(buffer);
    size_t done = 0;
    while (done < n) {
        if (pendingWrite_ == buffer_.size() && !FlushWrites()) break;
        const size_t take = std::min(n - done, buffer_.size() - pendingWrite_);
        std::memcpy(buffer_.data() + pendingWrite_, in + done, take);
        pendingWrite_ += take;
        done += take;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, SeekOrigin origin) {
    const int64_t logical = filePos_ + static_cast<int64_t>(pendingWrite_) -
                            static_cast<int64_t>(bufferLen_ - bufferPos_);
    if (origin == SeekOrigin::Current && offset == 0) return logical;
    if (origin == SeekOrigin::Current) {
        // A seek that stays inside the read buffer needs no system call.
        const int64_t target = logical + offset;
        if (pendingWrite_ == 0 && bufferLen_ > 0 && target >= filePos_ - (int64_t)bufferLen_ &&
            target <= filePos_) {
            bufferPos_ = static_cast<size_t>(target - (filePos_ - (int64_t)bufferLen_));
            return target;
        }
        offset = target;
        origin = SeekOrigin::Begin;
    }
    FlushWrites();
    bufferPos_ = bufferLen_ = 0;
    const int whence = origin == SeekOrigin::Begin ? SEEK_SET : SEEK_END;
    const off_t result = ::lseek(fd_, offset, whence);
    if (result < 0) return filePos_;
    filePos_ = result;
    return filePos_;
}

int64_t TFileStream::Size() {
    FlushWrites();
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return 0;
    return st.st_size;
}

void TFileStream::SetSize(int64_t size) {
    const int64_t here = Position();
    FlushWrites();
    DropReadBuffer();
    if (::ftruncate(fd_, size) != 0) throw EWriteError(msg::kStreamWrite);
    Seek(std::min(here, size), SeekOrigin::Begin);
}

}  // namespace vardel
