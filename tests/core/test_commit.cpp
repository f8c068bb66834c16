// Saves of several files commit together: a failure or a crash at any step
// leaves exactly the earlier files or exactly the new ones.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "core/file_io.h"
#include "core/layer_save.h"
#include "core/shp_reader.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

using Folder = std::map<std::string, std::string>;  // name -> bytes

Folder Snapshot(const std::string& dir) {
    Folder out;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") out[n] = ReadFileBytes(dir + "/" + n);
        }
        ::closedir(d);
    }
    return out;
}

std::string Names(const Folder& f) {
    std::string s;
    for (const auto& [n, b] : f) s += n + " ";
    return s;
}

struct Disarm {
    ~Disarm() { commit_faults::Disarm(); }
};

Result SaveNc(LayerStore& s, const std::string& path) {
    NullProgress g;
    return SaveLayer(s, 1, path, g);
}

// Opens nc from `dir` and changes one value.
void OpenChanged(LayerStore& s, const std::string& dir) {
    ASSERT_TRUE(OpenShapefile(s, dir + "/nc.shp"));
    ShpLayer& L = s.ShapeLayers[1];
    L.Shapes[1].Values[0] = "Changed";
}

}  // namespace

// Every write, rename and crash point of a layer save, in turn.
TEST(Commit, LayerSaveIsAllOrNothingAtEveryStep) {
    Disarm disarm;
    TempDir ref;
    CopySample("nc", ref.path());
    const Folder before = Snapshot(ref.path());
    Folder after;
    {
        TempDir fresh;
        CopySample("nc", fresh.path());
        LayerStore s;
        OpenChanged(s, fresh.path());
        ASSERT_TRUE(SaveNc(s, fresh.file("nc.shp")));
        after = Snapshot(fresh.path());
    }
    ASSERT_NE(before, after);

    for (auto kind : {commit_faults::Kind::Write, commit_faults::Kind::Rename, commit_faults::Kind::Die}) {
        bool reachedEnd = false;
        for (int k = 1; k < 100 && !reachedEnd; ++k) {
            SCOPED_TRACE("fault kind " + std::to_string(int(kind)) + " at step " + std::to_string(k));
            TempDir dir;
            CopySample("nc", dir.path());
            LayerStore s;
            OpenChanged(s, dir.path());
            commit_faults::Arm(kind, k);
            Result r = SaveNc(s, dir.file("nc.shp"));
            commit_faults::Disarm();
            if (r) {
                reachedEnd = true;
                EXPECT_EQ(Snapshot(dir.path()), after);
                continue;
            }
            if (kind == commit_faults::Kind::Die) {
                // The next open in that folder mends it and says how.
                ScriptedPrompter p;
                NullProgress g;
                LayerStore again;
                again.AppendLayerSlot();
                again.LayerFileName = dir.file("nc.shp");
                EXPECT_TRUE(ReadShapefile(again, p, g));
                ASSERT_EQ(p.shown.size(), 1u);
                EXPECT_NE(p.shown[0].value.find("An interrupted save of"), std::string::npos);
            } else {
                EXPECT_NE(r.reason.find("nc."), std::string::npos) << r.reason;
            }
            const Folder now = Snapshot(dir.path());
            EXPECT_TRUE(now == before || now == after) << Names(now);
            if (kind != commit_faults::Kind::Die) {
                EXPECT_EQ(now, before) << Names(now);
            }
        }
        EXPECT_TRUE(reachedEnd);
    }
}

TEST(Commit, CrashBeforeTheLastRenameIsUndoneAndAfterItCompleted) {
    Disarm disarm;
    TempDir dir;
    const std::string a = dir.file("a.txt"), b = dir.file("b.txt");
    WriteFileBytes(a, "old a");
    WriteFileBytes(b, "old b");
    {
        AtomicFile fa(a), fb(b);
        ASSERT_TRUE(fa.Open());
        ASSERT_TRUE(fb.Open());
        fa.Write("new a");
        fb.Write("new b");
        // Steps: keep a, place a, keep b, place b, drop backups, drop journal.
        commit_faults::Arm(commit_faults::Kind::Die, 4);
        EXPECT_FALSE(CommitAll({&fa, &fb}));
    }
    EXPECT_EQ(ReadFileBytes(a), "new a");  // half done: a new, b old
    std::vector<std::string> notes = RecoverInterruptedCommits(a);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("undone"), std::string::npos) << notes[0];
    EXPECT_EQ(Snapshot(dir.path()), (Folder{{"a.txt", "old a"}, {"b.txt", "old b"}}));

    {
        AtomicFile fa(a), fb(b);
        ASSERT_TRUE(fa.Open());
        ASSERT_TRUE(fb.Open());
        fa.Write("new a");
        fb.Write("new b");
        commit_faults::Arm(commit_faults::Kind::Die, 5);
        EXPECT_FALSE(CommitAll({&fa, &fb}));
    }
    // The next save of anything in the folder finishes it first.
    AtomicFile other(dir.file("c.txt"));
    ASSERT_TRUE(other.Open());
    EXPECT_EQ(TakeRecoveryNotes().size(), 1u);
    other.Write("c");
    ASSERT_TRUE(other.Commit());
    EXPECT_EQ(Snapshot(dir.path()), (Folder{{"a.txt", "new a"}, {"b.txt", "new b"}, {"c.txt", "c"}}));
}

TEST(Commit, NewFilesGetTheUmaskAndStaleTemporariesGo) {
    TempDir dir;
    const mode_t old = ::umask(022);
    const std::string t = dir.file("t.shp");
    // What a killed save left: its temporary, and one of a name like it
    // that is not ours to remove.
    WriteFileBytes(dir.file(".t.shp.a1B2c3"), std::string(1000, 'x'));
    WriteFileBytes(dir.file(".t.shp.keep-me"), "other");
    AtomicFile f(t);
    ASSERT_TRUE(f.Open());
    f.Write("new");
    ASSERT_TRUE(f.Commit());
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat(t.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(Snapshot(dir.path()), (Folder{{".t.shp.keep-me", "other"}, {"t.shp", "new"}}));

    // A file replaced keeps its own permissions.
    ::chmod(t.c_str(), 0640);
    AtomicFile g(t);
    ASSERT_TRUE(g.Open());
    g.Write("newer");
    ASSERT_TRUE(g.Commit());
    ASSERT_EQ(::stat(t.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(Commit, NonRegularFilesAreRefusedWithoutBlocking) {
    TempDir dir;
    const std::string fifo = dir.file("x.shp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    BlockReader in;
    Result r = in.Open(fifo);  // would wait for a writer for ever
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason.find("not a regular file"), std::string::npos) << r.reason;
    BlockReader d;
    r = d.Open(dir.path());
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason.find("folder"), std::string::npos) << r.reason;
}
