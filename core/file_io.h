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

// The file a reader opened last, for "not enough memory to read FILE" when
// an allocation fails far from the reader. Readers that do not use
// BlockReader note their file themselves.
void NoteFileBeingRead(const std::string& path);
const std::string& FileBeingRead();
// The text a command shows when memory ran out.
std::string OutOfMemoryText();

// Ok when `path` names a regular file; a folder, pipe or device is refused
// with a reason, without opening it.
Result CheckRegularFile(const std::string& path);

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
// puts it in place of the target. Without Commit() the temporary is removed
// and the target is left as it was.
class AtomicFile;

// Commits several files together, or none of them. Every temporary is
// flushed and synced first; then each old target is kept under a backup
// name while the new file replaces it, and on any failure every backup is
// put back, so the folder holds exactly the old set. A journal beside the
// first target lets a later save or open in that folder finish or undo a
// commit that was interrupted (see RecoverInterruptedCommits).
Result CommitAll(std::vector<AtomicFile*> files);

class AtomicFile {
public:
    explicit AtomicFile(std::string target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Makes the temporary and opens it for Write(). Finishes or undoes an
    // interrupted commit in the folder first, and removes temporaries that
    // an interrupted save of this target left.
    Result Open();
    // The same, for a library that writes the file by its name: the
    // temporary exists, empty, and its name ends in `suffix` (".dbf").
    Result OpenNamed(const std::string& suffix = {});
    const std::string& temporaryPath() const { return temp_; }

    void Write(const void* data, std::size_t n);
    void Write(const std::string& s) { Write(s.data(), s.size()); }
    // A failure met while making the contents; Commit() then fails with it.
    void SetError(const std::string& reason) {
        if (error_.empty()) error_ = reason;
    }
    // Flushes, syncs and puts the file in place; the first error met on the
    // way is the reason.
    Result Commit();
    // Drops the temporary; the target stays as it was.
    void Discard();
    const std::string& target() const { return target_; }

private:
    friend Result CommitAll(std::vector<AtomicFile*> files);
    Result Prepare(const std::string& suffix);
    void FlushBuffer();
    std::string target_;
    std::string temp_;
    int fd_ = -1;        // the temporary, open and locked until the commit ends
    bool writing_ = false;  // Write() goes to fd_ (false for OpenNamed)
    std::vector<unsigned char> buf_;
    std::size_t used_ = 0;
    std::string error_;
};

// The whole of a file made in memory, committed as AtomicFile does: on any
// failure the earlier file stays and the reason says why.
Result WriteWholeFile(const std::string& path, const void* data, std::size_t n);
inline Result WriteWholeFile(const std::string& path, const std::string& bytes) {
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

// Finds commits in the folder of `path` that a crash interrupted and
// finishes them (every new file was in place) or undoes them (the earlier
// files are put back). Returns one line per commit mended, for the user.
// Commits of a process that is still running are left alone.
std::vector<std::string> RecoverInterruptedCommits(const std::string& path);
// Lines of RecoverInterruptedCommits run by AtomicFile::Open since the last
// call, so a command can show them.
std::vector<std::string> TakeRecoveryNotes();

// Failures a test can inject into the commit code. Steps are counted from 1
// after Arm(): every write or sync of a temporary (Write), every rename or
// link that moves a file during a commit (Rename). Die stops the commit
// before its k-th rename, link or removal as if the process had been killed:
// nothing is cleaned up.
namespace commit_faults {
enum class Kind { None, Write, Rename, Die };
void Arm(Kind kind, int k);
void Disarm();
}  // namespace commit_faults

bool FileExists(const std::string& path);
// Anything under that name: a file, a folder, a pipe...
bool FileExistsAny(const std::string& path);
// A new private scratch file from a mkstemp pattern ("/tmp/zXXXXXX"); its
// name, or "" with errno set. The caller removes it.
std::string CreateScratchFile(const std::string& pattern);
std::string FileNamePart(const std::string& path);       // "dir/a.shp" -> "a.shp"
std::string DirectoryPart(const std::string& path);      // "dir/a.shp" -> "dir/" ("" for none)
std::string UpperCase(std::string s);

// Shortest decimal text that reads back as the same double, in the C
// locale whatever the user's locale is.
std::string RoundTripNumber(double v);

}  // namespace zemba
