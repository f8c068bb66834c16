// The program started on a damaged options file, as a user starts it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/test_support.h"

namespace zemba {
namespace {

// A copy of the program in a folder of its own, so its options file is ours.
TEST(Program, QuitAfterMsEndsTheRunWhileTheDamagedOptionsBoxIsOpen) {
    test::TempDir dir;
    const std::string exe = dir.file("zemba");
    std::filesystem::copy_file(std::string(ZEMBA_BIN_DIR) + "/zemba", exe);
    std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
    test::WriteFileBytes(dir.file("zemba.pof"), std::string(100, 'x'));  // far too short
    const std::string out = test::Shell("cd '" + dir.path() + "' && QT_QPA_PLATFORM=offscreen timeout 60 '" + exe +
                                        "' --quit-after-ms 300 2>&1; echo status=$?");
    EXPECT_NE(out.find("status=0"), std::string::npos) << out;
    // The damaged file was put aside and the defaults written.
    EXPECT_TRUE(std::filesystem::exists(dir.file("zemba.pof.bad"))) << out;

    // A pipe in its place is refused, not waited on.
    std::filesystem::remove(dir.file("zemba.pof"));
    ASSERT_EQ(test::Shell("mkfifo '" + dir.file("zemba.pof") + "' && echo made"), "made\n");
    const std::string piped = test::Shell("cd '" + dir.path() + "' && QT_QPA_PLATFORM=offscreen timeout 60 '" + exe +
                                          "' --quit-after-ms 300 2>&1; echo status=$?");
    EXPECT_NE(piped.find("status=0"), std::string::npos) << piped;
}

}  // namespace
}  // namespace zemba
