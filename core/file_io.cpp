#include "core/file_io.h"

#include <fcntl.h>
#include <dirent.h>
#include <sys/file.h>
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

namespace {
std::string g_beingRead;
}  // namespace

void NoteFileBeingRead(const std::string& path) { g_beingRead = path; }
const std::string& FileBeingRead() { return g_beingRead; }
std::string OutOfMemoryText() {
    return g_beingRead.empty() ? std::string("not enough memory") : "not enough memory to read " + g_beingRead;
}

Result CheckRegularFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Result::Fail(SysError("cannot open", path));
    if (S_ISDIR(st.st_mode)) return Result::Fail(path + " is a folder, not a file");
    if (!S_ISREG(st.st_mode)) return Result::Fail(path + " is not a regular file (a pipe or a device)");
    return Result::Ok();
}

BlockReader::~BlockReader() {
    if (fd_ >= 0) ::close(fd_);
}

Result BlockReader::Open(const std::string& path) {
    // A pipe or device in place of a file would block the open or the
    // first read for ever: refuse it before opening.
    Result kind = CheckRegularFile(path);
    if (!kind) return kind;
    NoteFileBeingRead(path);
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return Result::Fail(SysError("cannot open", path));
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return Result::Fail(SysError("cannot read", path));
    if (!S_ISREG(st.st_mode)) return Result::Fail(path + " is not a file");
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
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

// ---- commits ---------------------------------------------------------------

namespace {

const char kJournalPrefix[] = ".zemba-commit-";
const char kBackupSuffix[] = ".zemba-old";

struct FaultState {
    commit_faults::Kind kind = commit_faults::Kind::None;
    int at = 0;
    int writes = 0, moves = 0;
};
FaultState g_fault;
std::vector<std::string> g_notes;

// True when the armed fault hits this write or sync.
bool WriteFaults() {
    if (g_fault.kind != commit_faults::Kind::Write) return false;
    if (++g_fault.writes != g_fault.at) return false;
    errno = EIO;
    return true;
}
bool RenameFaults() {
    if (g_fault.kind != commit_faults::Kind::Rename) return false;
    if (++g_fault.moves != g_fault.at) return false;
    errno = EIO;
    return true;
}
bool DiesHere() {
    if (g_fault.kind != commit_faults::Kind::Die) return false;
    return ++g_fault.moves == g_fault.at;
}

std::string FolderOf(const std::string& path) {
    std::string dir = DirectoryPart(path);
    return dir.empty() ? std::string("./") : dir;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string BackupName(const std::string& target) {
    return DirectoryPart(target) + "." + FileNamePart(target) + kBackupSuffix;
}

void SyncFolder(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The old target back in place of whatever is there now. A backup made by
// link is the same file as the target: rename leaves both, so the backup
// name goes after.
bool PutBack(const std::string& backup, const std::string& target) {
    if (::rename(backup.c_str(), target.c_str()) != 0) return false;
    if (Exists(backup)) ::unlink(backup.c_str());
    return true;
}

struct JournalEntry {
    std::string target, temp, backup;
    bool hadOld = false;
};

// Names in a journal are relative to its folder when they are in it.
std::string Relative(const std::string& path, const std::string& dir) {
    std::string d = DirectoryPart(path);
    if ((d.empty() ? std::string("./") : d) == dir) return FileNamePart(path);
    if (!path.empty() && path[0] == '/') return path;
    // Another folder: the next run may start somewhere else.
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

std::string Resolve(const std::string& name, const std::string& dir) {
    if (!name.empty() && name[0] == '/') return name;
    if (name.find('/') != std::string::npos) return name;
    return dir == "./" ? name : dir + name;
}

// Reads a journal: false when it is not complete (the commit had not
// started to move files).
bool ParseJournal(const std::string& text, const std::string& dir, std::vector<JournalEntry>& out) {
    std::size_t at = 0;
    bool ended = false;
    bool first = true;
    while (at < text.size()) {
        std::size_t nl = text.find('\n', at);
        if (nl == std::string::npos) break;  // a cut last line
        std::string line = text.substr(at, nl - at);
        at = nl + 1;
        if (first) {
            if (line != "zemba commit 1") return false;
            first = false;
            continue;
        }
        if (line == "end") {
            ended = true;
            break;
        }
        // "0|1 TAB target TAB temp"
        std::size_t t1 = line.find('\t'), t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string::npos || t1 != 1) return false;
        JournalEntry e;
        e.hadOld = line[0] == '1';
        e.target = Resolve(line.substr(t1 + 1, t2 - t1 - 1), dir);
        e.temp = Resolve(line.substr(t2 + 1), dir);
        e.backup = BackupName(e.target);
        out.push_back(std::move(e));
    }
    return ended;
}

// Undoes entries [0, n) of a commit: the state of each is read from the
// files themselves, so this serves a failure in this process and a crash.
void RollBack(const std::vector<JournalEntry>& entries, std::size_t n) {
    for (std::size_t k = n; k-- > 0;) {
        const JournalEntry& e = entries[k];
        const bool moved = !Exists(e.temp);  // the new file went to the target
        if (e.hadOld) {
            if (Exists(e.backup)) PutBack(e.backup, e.target);
        } else if (moved) {
            ::unlink(e.target.c_str());
        }
        if (!moved) ::unlink(e.temp.c_str());
    }
}

// A file in `dir` that another running save holds is locked; one left by a
// dead process is not.
bool HeldByLiveProcess(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

std::string ReadSmallFile(const std::string& path) {
    std::string text;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return text;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size < (1 << 20)) {
        char buf[4096];
        ssize_t got;
        while ((got = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

std::vector<std::string> FolderEntries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) names.emplace_back(e->d_name);
        ::closedir(d);
    }
    return names;
}

bool IsTempOf(const std::string& name, const std::string& base) {
    // "." base "." six letters or digits, then at most a short suffix.
    const std::string head = "." + base + ".";
    if (name.size() < head.size() + 6 || name.compare(0, head.size(), head) != 0) return false;
    for (std::size_t k = head.size(); k < head.size() + 6; ++k)
        if (!std::isalnum(static_cast<unsigned char>(name[k]))) return false;
    std::string rest = name.substr(head.size() + 6);
    return rest.empty() || (rest[0] == '.' && rest.size() <= 5 && rest.find('/') == std::string::npos);
}

// Temporaries of `target` that an interrupted save left behind.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string dir = FolderOf(target), base = FileNamePart(target);
    for (const std::string& name : FolderEntries(dir)) {
        if (!IsTempOf(name, base)) continue;
        const std::string path = dir + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) continue;
        if (!HeldByLiveProcess(path)) ::unlink(path.c_str());
    }
}

}  // namespace

namespace commit_faults {
void Arm(Kind kind, int k) { g_fault = FaultState{kind, k, 0, 0}; }
void Disarm() { g_fault = FaultState{}; }
}  // namespace commit_faults

std::vector<std::string> RecoverInterruptedCommits(const std::string& path) {
    std::vector<std::string> notes;
    const std::string dir = FolderOf(path);
    const std::size_t plen = sizeof kJournalPrefix - 1;
    for (const std::string& name : FolderEntries(dir)) {
        if (name.compare(0, plen, kJournalPrefix) != 0) continue;
        const std::string journal = dir + name;
        struct stat st {};
        if (::lstat(journal.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        int fd = ::open(journal.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {  // that save is still running
            ::close(fd);
            continue;
        }
        std::vector<JournalEntry> entries;
        bool complete = ParseJournal(ReadSmallFile(journal), dir, entries);
        const std::string what = name.substr(plen);
        if (!complete) {
            // Nothing had been moved yet.
            for (const JournalEntry& e : entries) ::unlink(e.temp.c_str());
        } else {
            bool allMoved = true;
            for (const JournalEntry& e : entries) allMoved = allMoved && !Exists(e.temp);
            if (allMoved) {
                for (const JournalEntry& e : entries) ::unlink(e.backup.c_str());
                notes.push_back("An interrupted save of " + dir + what + " was completed");
            } else {
                RollBack(entries, entries.size());
                notes.push_back("An interrupted save of " + dir + what +
                                " was undone: the earlier files are back in place");
            }
        }
        SyncFolder(dir);
        ::unlink(journal.c_str());
        ::close(fd);
    }
    return notes;
}

std::vector<std::string> TakeRecoveryNotes() {
    std::vector<std::string> out;
    out.swap(g_notes);
    return out;
}

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Discard() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    writing_ = false;
}

Result AtomicFile::Open() {
    Result r = Prepare({});
    if (r) writing_ = true;
    return r;
}

Result AtomicFile::OpenNamed(const std::string& suffix) { return Prepare(suffix); }

Result AtomicFile::Prepare(const std::string& suffix) {
    Discard();
    error_.clear();
    const std::string dir = FolderOf(target_);
    for (std::string& note : RecoverInterruptedCommits(target_)) g_notes.push_back(std::move(note));
    RemoveStaleTemporaries(target_);
    temp_ = dir + "." + FileNamePart(target_) + ".XXXXXX" + suffix;
    fd_ = ::mkostemps(temp_.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (fd_ < 0) {
        std::string reason = SysError("cannot create a file in", DirectoryPart(target_).empty() ? "." : DirectoryPart(target_));
        temp_.clear();
        return Result::Fail(reason);
    }
    // Ours while we write it: a later save does not take it for a stale one.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones under the user's umask.
    struct stat st {};
    mode_t mode;
    if (::stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
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
        ssize_t put = WriteFaults() ? -1 : ::write(fd_, p, n);
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
    if (fd_ < 0 || !writing_ || !error_.empty()) return;
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

Result WriteWholeFile(const std::string& path, const void* data, std::size_t n) {
    AtomicFile f(path);
    Result r = f.Open();
    if (!r) return r;
    f.Write(data, n);
    return f.Commit();
}

Result CommitAll(std::vector<AtomicFile*> files) {
    if (files.empty()) return Result::Ok();
    // 1. Every new file complete and on disk.
    for (AtomicFile* f : files) {
        if (f->fd_ < 0 && f->error_.empty()) f->error_ = "cannot write " + f->target_;
        if (!f->error_.empty()) return Result::Fail(f->error_);
        if (f->writing_) f->FlushBuffer();
        if (f->error_.empty() && (WriteFaults() || (::fsync(f->fd_) != 0 && errno != EINVAL)))
            f->error_ = SysError("cannot write", f->target_);
        if (!f->error_.empty()) return Result::Fail(f->error_);
    }
    const std::string dir = FolderOf(files[0]->target_);
    if (files.size() == 1) {
        // One file: its rename is the whole commit.
        AtomicFile* f = files[0];
        if (DiesHere()) {
            ::close(f->fd_);
            f->fd_ = -1;
            f->temp_.clear();
            return Result::Fail("the save was stopped part-way");
        }
        if (RenameFaults() || ::rename(f->temp_.c_str(), f->target_.c_str()) != 0) {
            Result r = Result::Fail(SysError("cannot replace", f->target_));
            f->Discard();
            return r;
        }
        f->temp_.clear();
        SyncFolder(dir);
        f->Discard();
        return Result::Ok();
    }
    std::vector<JournalEntry> entries;
    for (AtomicFile* f : files) {
        JournalEntry e;
        e.target = f->target_;
        e.temp = f->temp_;
        e.backup = BackupName(f->target_);
        struct stat st {};
        e.hadOld = ::lstat(e.target.c_str(), &st) == 0;
        if (e.hadOld && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
            return Result::Fail("cannot replace " + e.target + ": it is not a file");
        for (const JournalEntry& o : entries)
            if (o.target == e.target) return Result::Fail("cannot save " + e.target + " twice in one commit");
        ::unlink(e.backup.c_str());  // a leftover of no running commit
        entries.push_back(std::move(e));
    }

    // 2. The journal, so that a crash from here on can be mended.
    const std::string journal = dir + kJournalPrefix + FileNamePart(files[0]->target_);
    int jfd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (jfd < 0) {
        if (errno == EEXIST) return Result::Fail("another save of " + files[0]->target_ + " is running");
        return Result::Fail(SysError("cannot create a file in", dir));
    }
    ::flock(jfd, LOCK_EX | LOCK_NB);
    std::string text = "zemba commit 1\n";
    for (const JournalEntry& e : entries)
        text += std::string(e.hadOld ? "1" : "0") + "\t" + Relative(e.target, dir) + "\t" + Relative(e.temp, dir) + "\n";
    text += "end\n";
    bool ok = !WriteFaults() && ::write(jfd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ok && ::fsync(jfd) == 0;
    auto dropJournal = [&] {
        ::unlink(journal.c_str());
        ::close(jfd);
    };
    if (!ok) {
        Result r = Result::Fail(SysError("cannot write", journal));
        dropJournal();
        return r;
    }
    SyncFolder(dir);

    // A killed process: its files stay as they are, its locks go.
    auto die = [&] {
        for (AtomicFile* f : files) {
            if (f->fd_ >= 0) ::close(f->fd_);
            f->fd_ = -1;
            f->temp_.clear();
        }
        ::close(jfd);
        return Result::Fail("the save was stopped part-way");
    };

    // 3. Each old file kept under its backup name, the new one in its place.
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const JournalEntry& e = entries[k];
        int err = 0;
        if (e.hadOld) {
            if (DiesHere()) return die();
            // A second name for the old file keeps the target in place all
            // along; where links are not allowed the old file moves aside.
            if (RenameFaults() || (::link(e.target.c_str(), e.backup.c_str()) != 0 &&
                                   ::rename(e.target.c_str(), e.backup.c_str()) != 0))
                err = errno;
        }
        if (!err) {
            if (DiesHere()) return die();
            if (RenameFaults() || ::rename(e.temp.c_str(), e.target.c_str()) != 0) err = errno;
        }
        if (err) {
            RollBack(entries, k + 1);
            SyncFolder(dir);
            dropJournal();
            for (AtomicFile* g : files) g->Discard();
            return Result::Fail("cannot replace " + e.target + ": " + std::strerror(err));
        }
        files[k]->temp_.clear();
    }
    SyncFolder(dir);

    // 4. All in place: the backups go, then the journal.
    for (const JournalEntry& e : entries) {
        if (!e.hadOld) continue;
        if (DiesHere()) return die();
        ::unlink(e.backup.c_str());
    }
    if (DiesHere()) return die();
    dropJournal();
    for (AtomicFile* f : files) f->Discard();
    return Result::Ok();
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileExistsAny(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string CreateScratchFile(const std::string& pattern) {
    std::string name = pattern;
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return {};
    ::close(fd);
    return name;
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
