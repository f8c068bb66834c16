// Byte-level file helpers shared by the readers and writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/ui.h"

namespace zemba {

inline std::uint32_t LoadBE32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}
inline std::uint32_t LoadLE32(const unsigned char* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline std::int32_t LoadLEInt(const unsigned char* p) { return static_cast<std::int32_t>(LoadLE32(p)); }
inline std::int32_t LoadBEInt(const unsigned char* p) { return static_cast<std::int32_t>(LoadBE32(p)); }
inline double LoadLEDouble(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}

inline void StoreBE32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}
inline void StoreLE32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}
inline void StoreLEDouble(unsigned char* p, double d) {
    std::uint64_t v;
    std::memcpy(&v, &d, 8);
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Bytes of a binary file being built in memory, in the byte orders the
// program's formats use.
struct ByteSink {
    std::string b;
    void I32LE(std::int64_t v) {
        unsigned char t[4];
        StoreLE32(t, static_cast<std::uint32_t>(v));
        b.append(reinterpret_cast<char*>(t), 4);
    }
    void I32BE(std::int64_t v) {
        unsigned char t[4];
        StoreBE32(t, static_cast<std::uint32_t>(v));
        b.append(reinterpret_cast<char*>(t), 4);
    }
    void F64(double v) {
        unsigned char t[8];
        StoreLEDouble(t, v);
        b.append(reinterpret_cast<char*>(t), 8);
    }
};

// Sequential reader over a file descriptor through a block buffer. Large
// requests go straight from the file into the caller's memory.
class BlockReader {
public:
    BlockReader() = default;
    ~BlockReader();
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    // Opens for reading; on failure the reason holds the system's message.
    Result Open(const std::string& path);
    std::uint64_t size() const { return size_; }
    std::uint64_t position() const { return pos_; }
    std::uint64_t remaining() const { return size_ - pos_; }

    // Copies exactly n bytes; false when the file ends first or a read fails.
    bool Read(void* dst, std::size_t n);
    bool Skip(std::uint64_t n);
    const std::string& error() const { return error_; }

private:
    bool Fill();
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t pos_ = 0;  // logical position of the next byte handed out
    std::vector<unsigned char> buf_;
    std::size_t bufStart_ = 0, bufEnd_ = 0;
    std::string error_;
};

// Writes a file under a temporary name in the target's folder; Commit()
// renames it over the target. Without Commit() the temporary is removed and
// the target is left as it was.
class AtomicFile;
// Commits several files together: all are written first, then renamed.
Result CommitAll(std::vector<AtomicFile*> files);

class AtomicFile {
public:
    explicit AtomicFile(std::string target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    Result Open();
    void Write(const void* data, std::size_t n);
    void Write(const std::string& s) { Write(s.data(), s.size()); }
    // Flushes, syncs and renames; the first error met on the way is the reason.
    Result Commit();
    const std::string& target() const { return target_; }

private:
    friend Result CommitAll(std::vector<AtomicFile*> files);
    void FlushBuffer();
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    std::vector<unsigned char> buf_;
    std::size_t used_ = 0;
    std::string error_;
};


bool FileExists(const std::string& path);
std::string FileNamePart(const std::string& path);       // "dir/a.shp" -> "a.shp"
std::string DirectoryPart(const std::string& path);      // "dir/a.shp" -> "dir/" ("" for none)
std::string UpperCase(std::string s);

// Shortest decimal text that reads back as the same double, in the C
// locale whatever the user's locale is.
std::string RoundTripNumber(double v);

}  // namespace zemba
