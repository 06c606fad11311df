// Byte streams: the base contract, memory streams and files by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vardel {

enum class SeekOrigin { Begin, Current, End };

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to n bytes; returns how many were read (0 at the end).
    virtual size_t Read(void* buffer, size_t n) = 0;
    virtual size_t Write(const void* buffer, size_t n) = 0;
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual int64_t Size();
    virtual void SetSize(int64_t size) = 0;

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
    int64_t Remaining() { return Size() - Position(); }

    // Exact transfers: a short read raises EReadError "Stream read error", a short
    // write EWriteError "Stream write error".
    void ReadBuffer(void* buffer, size_t n);
    void WriteBuffer(const void* buffer, size_t n);
    // One byte, or -1 at the end of the stream.
    int ReadByte();
    // Copies count bytes of source from its position (all of the rest when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

    size_t Read(void* buffer, size_t n) override;
    size_t Write(const void* buffer, size_t n) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;

    void Clear() { data_.clear(); position_ = 0; }
    uint8_t* Memory() { return data_.data(); }
    const std::vector<uint8_t>& Bytes() const { return data_; }
    std::vector<uint8_t> TakeBytes() { position_ = 0; return std::move(data_); }

private:
    std::vector<uint8_t> data_;
    size_t position_ = 0;
};

// A read-only stream over bytes that someone else owns.
class TReadOnlyMemoryStream : public TStream {
public:
    TReadOnlyMemoryStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Read(void* buffer, size_t n) override;
    size_t Write(const void* buffer, size_t n) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(size_); }
    void SetSize(int64_t size) override;

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

enum class FileMode { OpenRead, Create };

// A file opened by name (drive names are mapped, see Files.h). Reads and writes go
// through one buffer, so readers that take a byte at a time stay cheap.
class TFileStream : public TStream {
public:
    // Raises EFOpenError "Cannot open file %s" or EFCreateError "Cannot create file %s"
    // with the name as given.
    TFileStream(std::string_view name, FileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    size_t Read(void* buffer, size_t n) override;
    size_t Write(const void* buffer, size_t n) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override;
    void SetSize(int64_t size) override;
    // Writes what is still buffered; a file that did not take it all raises
    // EWriteError "Stream write error". Savers call it last, so that a full disk is
    // never reported as a saved picture.
    void Flush();

private:
    bool FlushWrites();
    void DropReadBuffer();

    int fd_ = -1;
    std::vector<uint8_t> buffer_;
    size_t bufferPos_ = 0;   // next byte of buffer_ to read
    size_t bufferLen_ = 0;   // valid bytes of buffer_ when reading
    size_t pendingWrite_ = 0;
    int64_t filePos_ = 0;    // position of the descriptor
};

}  // namespace vardel
