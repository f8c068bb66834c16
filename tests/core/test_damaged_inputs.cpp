// Inputs that are not what they claim, through zemba-info as a user runs it:
// a clear message and status 1, never a hang, an abort or shifted data.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "core/attributes.h"
#include "core/file_io.h"
#include "tests/core/shp_builder.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

struct Outcome {
    int status = -1;
    std::string out;  // standard output and error
};

// zemba-info with `args`, stopped after 20 s: a hang shows as status 124.
Outcome Info(const std::string& args) {
    Outcome r;
    const std::string cmd = "timeout 20 " + std::string(ZEMBA_BIN_DIR) + "/zemba-info " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    char buf[4096];
    while (std::size_t n = fread(buf, 1, sizeof buf, p)) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

void PutU16(std::string& b, std::size_t at, int v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
int U16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

// Writes nc's style side files beside it, as a project saved with its
// attributes does.
void WriteStyles(const TempDir& d) {
    LayerStore s;
    ASSERT_TRUE(OpenShapefile(s, d.file("nc.shp")));
    NullProgress g;
    ASSERT_TRUE(WriteSideFiles(s, d.file("nc.shp"), 1, g));
}

}  // namespace

TEST(DamagedInputs, InconsistentDbaseHeadersAreRefusedNotReadShifted) {
    TempDir d;
    CopySample("nc", d.path());
    const std::string dbf = d.file("nc.dbf");
    const std::string good = ReadFileBytes(dbf);
    ASSERT_EQ(Info("'" + d.file("nc.shp") + "'").status, 0);

    struct Case {
        const char* name;
        std::string bytes;
        const char* says;
    };
    std::string shortHeader = good, longRecord = good, noEnd = good, hugeHeader = good;
    PutU16(shortHeader, 8, U16(good, 8) - 32);
    PutU16(longRecord, 10, U16(good, 10) + 1);
    noEnd[U16(good, 8) - 1] = ' ';
    PutU16(hugeHeader, 8, 60000);
    const Case cases[] = {
        {"header length short by a field", shortHeader, "runs past the header length"},
        {"record length beyond the fields", longRecord, "record length"},
        {"no end mark", noEnd, "header length"},
        {"header longer than the file", hugeHeader, "header length"},
        {"shorter than a header", good.substr(0, 20), "shorter than a table header"},
    };
    for (const Case& c : cases) {
        WriteFileBytes(dbf, c.bytes);
        Outcome r = Info("'" + d.file("nc.shp") + "'");
        EXPECT_EQ(r.status, 1) << c.name << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.name << ": " << r.out;
        EXPECT_EQ(r.out.find("Fields:"), std::string::npos) << c.name;
    }
}

TEST(DamagedInputs, StyleFileOfAnotherSizeIsNotApplied) {
    TempDir d;
    CopySample("nc", d.path());
    // Styles saved for the layer, then the .att grown by one class's worth.
    WriteStyles(d);
    const std::string att = ReadFileBytes(d.file("nc.att"));
    ASSERT_FALSE(att.empty());
    WriteFileBytes(d.file("nc.att"), att + std::string(48, '\0'));
    Outcome r = Info("'" + d.file("nc.shp") + "'");
    EXPECT_NE(r.out.find("was not applied"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(std::to_string(att.size() + 48) + " bytes"), std::string::npos) << r.out;
}

TEST(DamagedInputs, PipesInPlaceOfFilesAreRefusedWithoutWaiting) {
    TempDir d;
    CopySample("nc", d.path());
    // The label file beside a style file, then the main file.
    WriteStyles(d);
    ::unlink(d.file("nc.atx").c_str());
    ASSERT_EQ(::mkfifo(d.file("nc.atx").c_str(), 0644), 0);
    Outcome r = Info("'" + d.file("nc.shp") + "'");
    EXPECT_EQ(r.status, 0) << r.out;  // the layer opens, its style does not
    EXPECT_NE(r.out.find("not a regular file"), std::string::npos) << r.out;

    ::unlink(d.file("nc.shp").c_str());
    ASSERT_EQ(::mkfifo(d.file("nc.shp").c_str(), 0644), 0);
    r = Info("'" + d.file("nc.shp") + "'");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("not a regular file"), std::string::npos) << r.out;
}

TEST(DamagedInputs, OpenFailuresPrintTheMessageTextAndTheReason) {
    TempDir d;
    CopySample("nc", d.path());
    std::string shp = ReadFileBytes(d.file("nc.shp"));
    shp[28] = 7;  // not version 1000
    WriteFileBytes(d.file("nc.shp"), shp);
    Outcome r = Info("-e 'open " + d.file("nc.shp") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("file not loaded"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("version"), std::string::npos) << r.out;

    ::unlink(d.file("nc.dbf").c_str());
    r = Info("-e 'open " + d.file("nc.shp") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Database file not found"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("nc.dbf"), std::string::npos) << r.out;
}

TEST(DamagedInputs, RunningOutOfMemoryNamesTheFile) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address space limits do not mix with the sanitizer";
#else
    TempDir d;
    // One sound record of 40 million points: 640 MB, held sparse on disk.
    const std::int64_t points = 40'000'000;
    const std::int64_t content = 44 + 4 + 16 * points;
    ShpBuilder b(3);
    std::string rec;
    PutLE(rec, 3);
    for (double v : {0.0, 0.0, 10.0, 10.0}) PutD(rec, v);
    PutLE(rec, 1);
    PutLE(rec, static_cast<std::int32_t>(points));
    PutLE(rec, 0);
    b.Raw(rec, 1, static_cast<std::int32_t>(content / 2));
    const std::string path = d.file("big.shp");
    WriteFileBytes(path, b.Bytes());
    ASSERT_EQ(::truncate(path.c_str(), 100 + 8 + content), 0);
    Outcome r;
    const std::string cmd = "ulimit -v 400000; timeout 60 " + std::string(ZEMBA_BIN_DIR) + "/zemba-info '" + path +
                            "' 2>&1; echo status=$?";
    r.out = Shell(cmd);
    EXPECT_NE(r.out.find("not enough memory to read " + path), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("status=1"), std::string::npos) << r.out;
#endif
}
