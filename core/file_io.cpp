#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>

namespace zemba {

namespace {
constexpr std::size_t kReadBlock = 256 * 1024;
constexpr std::size_t kWriteBlock = 1024 * 1024;

std::string SysError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}
}  // namespace

BlockReader::~BlockReader() {
    if (fd_ >= 0) ::close(fd_);
}

Result BlockReader::Open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return Result::Fail(SysError("cannot open", path));
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return Result::Fail(SysError("cannot read", path));
    if (!S_ISREG(st.st_mode)) return Result::Fail(path + " is not a file");
    size_ = static_cast<std::uint64_t>(st.st_size);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    buf_.resize(kReadBlock);
    return Result::Ok();
}

bool BlockReader::Fill() {
    bufStart_ = 0;
    bufEnd_ = 0;
    for (;;) {
        ssize_t got = ::read(fd_, buf_.data(), buf_.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            error_ = std::strerror(errno);
            return false;
        }
        bufEnd_ = static_cast<std::size_t>(got);
        return got > 0;
    }
}

bool BlockReader::Read(void* dst, std::size_t n) {
    if (n > remaining()) return false;
    auto* out = static_cast<unsigned char*>(dst);
    std::size_t have = bufEnd_ - bufStart_;
    if (n <= have) {
        std::memcpy(out, buf_.data() + bufStart_, n);
        bufStart_ += n;
        pos_ += n;
        return true;
    }
    std::memcpy(out, buf_.data() + bufStart_, have);
    out += have;
    n -= have;
    pos_ += have;
    bufStart_ = bufEnd_ = 0;
    // Big pieces go straight into place; the tail comes through the buffer.
    while (n >= buf_.size()) {
        ssize_t got = ::read(fd_, out, n - n % buf_.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            error_ = std::strerror(errno);
            return false;
        }
        if (got == 0) return false;
        out += got;
        n -= static_cast<std::size_t>(got);
        pos_ += static_cast<std::uint64_t>(got);
    }
    while (n > 0) {
        if (!Fill()) return false;
        std::size_t take = std::min(n, bufEnd_);
        std::memcpy(out, buf_.data(), take);
        bufStart_ = take;
        out += take;
        n -= take;
        pos_ += take;
    }
    return true;
}

bool BlockReader::Skip(std::uint64_t n) {
    if (n > remaining()) return false;
    std::size_t have = bufEnd_ - bufStart_;
    if (n <= have) {
        bufStart_ += static_cast<std::size_t>(n);
        pos_ += n;
        return true;
    }
    pos_ += n;
    bufStart_ = bufEnd_ = 0;
    if (::lseek(fd_, static_cast<off_t>(pos_), SEEK_SET) < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

Result AtomicFile::Open() {
    std::string dir = DirectoryPart(target_);
    temp_ = (dir.empty() ? std::string("./") : dir) + "." + FileNamePart(target_) + ".XXXXXX";
    fd_ = ::mkstemp(temp_.data());
    if (fd_ < 0) {
        std::string reason = SysError("cannot create a file in", dir.empty() ? "." : dir);
        temp_.clear();
        return Result::Fail(reason);
    }
    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones.
    struct stat st {};
    mode_t mode;
    if (::stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd_, mode);
    buf_.resize(kWriteBlock);
    used_ = 0;
    return Result::Ok();
}

void AtomicFile::FlushBuffer() {
    const unsigned char* p = buf_.data();
    std::size_t n = used_;
    while (n > 0 && error_.empty()) {
        ssize_t put = ::write(fd_, p, n);
        if (put < 0) {
            if (errno == EINTR) continue;
            error_ = SysError("cannot write", target_);
            break;
        }
        p += put;
        n -= static_cast<std::size_t>(put);
    }
    used_ = 0;
}

void AtomicFile::Write(const void* data, std::size_t n) {
    if (fd_ < 0 || !error_.empty()) return;
    const auto* p = static_cast<const unsigned char*>(data);
    while (n > 0) {
        if (used_ == buf_.size()) FlushBuffer();
        std::size_t take = std::min(n, buf_.size() - used_);
        std::memcpy(buf_.data() + used_, p, take);
        used_ += take;
        p += take;
        n -= take;
    }
}

Result AtomicFile::Commit() { return CommitAll({this}); }

Result CommitAll(std::vector<AtomicFile*> files) {
    for (AtomicFile* f : files) {
        if (f->fd_ < 0 && f->error_.empty()) f->error_ = "cannot write " + f->target_;
        if (!f->error_.empty()) return Result::Fail(f->error_);
        f->FlushBuffer();
        if (f->error_.empty() && ::fsync(f->fd_) != 0 && errno != EINVAL)
            f->error_ = SysError("cannot write", f->target_);
        if (::close(f->fd_) != 0 && f->error_.empty()) f->error_ = SysError("cannot write", f->target_);
        f->fd_ = -1;
        if (!f->error_.empty()) return Result::Fail(f->error_);
    }
    for (AtomicFile* f : files) {
        if (::rename(f->temp_.c_str(), f->target_.c_str()) != 0)
            return Result::Fail(SysError("cannot replace", f->target_));
        f->temp_.clear();
    }
    return Result::Ok();
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FileNamePart(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirectoryPart(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string UpperCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string RoundTripNumber(double v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, res.ptr);
    // Plain integers keep one decimal, as drawings and dumps have always had.
    if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
    return s;
}

}  // namespace zemba
