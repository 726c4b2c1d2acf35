#include "os/text_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

using KL_VRXOS::TTextFile;

// The log must be byte-identical on every OS: each "\n" stored as CR LF, and
// a reopened file appended to, never truncated.
TEST(TextFile, StoresLineFeedsAsCrLfAndAppends) {
    KL_VRXTest::TTempDir dir;
    {
        TTextFile file(dir.File("a.log"));
        ASSERT_TRUE(file.Good());
        file.Write("one\ntwo\n");
    }
    {
        TTextFile file(dir.File("a.log"));
        file.Write("\nthree");
        file.Flush();
        EXPECT_EQ(dir.ReadFile("a.log"), "one\r\ntwo\r\n\r\nthree");
    }
}

TEST(TextFile, MissingDirectoryLeavesItClosedAndCreatesNothing) {
    KL_VRXTest::TTempDir dir;
    TTextFile file(dir.File("missing/a.log"));
    EXPECT_FALSE(file.Good());
    file.Write("ignored\n");
    file.Flush();
    EXPECT_FALSE(dir.Exists("missing"));
}

}  // namespace
