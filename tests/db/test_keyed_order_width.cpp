#include <gtest/gtest.h>

#include "db/db.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::db;
using namespace zemba::test;

// Widths count characters: UTF-8 text is never cut inside a character.
TEST(KeyedWidth, CutsBetweenCharacters) {
    EXPECT_EQ(CutUtf8("Pr\xc3\xa9rie", 3), "Pr\xc3\xa9");
    EXPECT_EQ(CutUtf8("Pr\xc3\xa9rie", 2), "Pr");
    EXPECT_EQ(CutUtf8("ab", 5), "ab");
    // A stray byte counts as one character.
    EXPECT_EQ(CutUtf8("\xc3x\xe2\x82", 2), "\xc3x");
    TempDir dir;
    KeyedTable t;
    ASSERT_TRUE(t.Create(dir.file("w.db"), "w", {{"NAME", FieldKind::String, 3}, {"N", FieldKind::Integer, 0}}));
    ASSERT_TRUE(t.Append());
    ASSERT_TRUE(t.SetFieldAt(t.FieldIndex("NAME"), std::string("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9")));
    ASSERT_TRUE(t.SetFieldAt(t.FieldIndex("N"), std::int64_t(7)));
    EXPECT_FALSE(t.SetFieldAt(5, std::int64_t(1)));
    ASSERT_TRUE(t.Commit());
    Table r;
    ASSERT_TRUE(r.Open(dir.file("w.db")));
    EXPECT_EQ(r.FieldText("NAME"), "\xc3\xa9\xc3\xa9\xc3\xa9");
    EXPECT_EQ(r.FieldInt("N"), 7);
}

// A sort order other than the key: numbers in numeric order.
TEST(KeyedOrder, SortsByTheChosenFields) {
    TempDir dir;
    KeyedTable t;
    ASSERT_TRUE(t.Create(dir.file("c.db"), "comp",
                         {{"MUID", FieldKind::String, 7}, {"SEQNUMS", FieldKind::String, 2}, {"SEQNUM", FieldKind::Integer, 0}}));
    for (const char* s : {"10", "2", "1"}) {
        ASSERT_TRUE(t.Append());
        t.SetField("MUID", std::string("A"));
        t.SetField("SEQNUMS", std::string(s));
        t.SetField("SEQNUM", std::string(s));
    }
    ASSERT_TRUE(t.AddPrimaryIndex("MUID;SEQNUMS"));
    ASSERT_TRUE(t.Commit());
    Table r;
    ASSERT_TRUE(r.Open(dir.file("c.db")));
    auto order = [&] {
        std::string o;
        for (r.First(); !r.Eof(); r.Next()) o += r.FieldText("SEQNUMS") + " ";
        return o;
    };
    EXPECT_EQ(order(), "1 10 2 ");
    r.SetOrder("SEQNUM");
    ASSERT_TRUE(r.Refresh());
    EXPECT_EQ(order(), "1 2 10 ");
    r.SetOrder("NOPE");
    EXPECT_FALSE(r.Refresh());
}
