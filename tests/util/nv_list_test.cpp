// Name-value lists: result codes, growth, byte values, owned
// records, and the NUioObjList sink with its paths and lookups.
#include "util/nv_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "util/nv_io.h"

namespace {

// "name=value" texts of a list, in order; "(null)" for null parts.
std::vector<std::string> Pairs(NUNVList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) {
        char* name = nullptr;
        char* value = nullptr;
        EXPECT_EQ(list.NameAt(i, &name), 0);
        EXPECT_EQ(list.ValueAt(i, &value), 0);
        out.push_back(std::string(name ? name : "(null)") + "=" + (value ? value : "(null)"));
    }
    return out;
}

using Texts = std::vector<std::string>;

}  // namespace

// Order, duplicates, null names, insertion, replacement, removal, lookups
// with and without case and clones are checked against a model list by the
// differential sweep (its rows "name-value list" and "catalog index"); here,
// what it never does.
TEST(NVList, ResultCodesOfBadArguments) {
    NUNVList list;
    list.AddText("a", "1");
    EXPECT_EQ(list.Insert("x", "1", 2, 2, false), -5);  // count + 1
    EXPECT_EQ(list.Insert("x", "1", 2, -1, false), -5);
    EXPECT_EQ(list.Insert("x", "1", -1, 0, false), -5);  // negative size
    EXPECT_EQ(list.AddText("x", nullptr), -5);
    EXPECT_EQ(list.Find("a", nullptr), -5);
    EXPECT_EQ(list.NameAt(0, nullptr), -5);
    char* out = nullptr;
    EXPECT_EQ(list.NameAt(1, &out), -7);
    EXPECT_EQ(list.ValueAt(-1, &out), -7);
    EXPECT_EQ(list.SetAt("v", 2, 1), -7);
    EXPECT_EQ(list.RemoveAt(1), -7);
    EXPECT_EQ(list.NewEntry(nullptr, "n", "v", 2, false), -5);
    EXPECT_EQ(list.SetEntryValue(nullptr, "v", 2), -5);
    EXPECT_EQ(Pairs(list), (Texts{"a=1"}));

    NUNVList empty;
    EXPECT_EQ(empty.Find("a", &out), 0);
    EXPECT_EQ(empty.Find(nullptr, &out), 0);
}

TEST(NVList, GrowsWhenFull) {
    NUNVList list;
    for (int i = 0; i < 128; ++i) ASSERT_EQ(list.AddText(std::to_string(i).c_str(), "v"), 0);
    EXPECT_EQ(list.Capacity(), 128);
    EXPECT_EQ(list.Insert("new", "n", 2, 0, false), 0);
    EXPECT_EQ(list.Capacity(), 256);
    EXPECT_EQ(list.Count(), 129);
    char* name = nullptr;
    list.NameAt(0, &name);
    EXPECT_STREQ(name, "new");
    list.NameAt(128, &name);
    EXPECT_STREQ(name, "127");

    // A capacity of no slots means the default.
    for (auto [asked, slots] : {std::pair{2, 2}, {1, 1}, {0, 128}, {-3, 128}}) {
        SCOPED_TRACE(asked);
        EXPECT_EQ(NUNVList(asked).Capacity(), slots);
    }
}

TEST(NVList, ValuesAreByteBuffersOfTheGivenSize) {
    NUNVList list;
    const char bytes[4] = {'x', '\0', 'y', '\0'};
    EXPECT_EQ(list.Add("b", bytes, 4), 0);
    char* value = nullptr;
    list.ValueAt(0, &value);
    EXPECT_EQ(memcmp(value, bytes, 4), 0);
    EXPECT_EQ(list.Add("null", nullptr, 5), 0);
    list.ValueAt(1, &value);
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(list.SetAt(nullptr, 0, 0), 0);
    list.ValueAt(0, &value);
    EXPECT_EQ(value, nullptr);

    char* owned = list.AllocValue(4);
    ASSERT_NE(owned, nullptr);
    memcpy(owned, "own", 4);
    EXPECT_EQ(list.AddOwned("o", owned), 0);
    list.ValueAt(2, &value);
    EXPECT_EQ(value, owned);
    EXPECT_EQ(list.AllocValue(0), nullptr);
}

TEST(NVList, JoinLengthAndClone) {
    NUNVList list;
    char* joined = list.JoinValues("ab", "cd");
    EXPECT_STREQ(joined, "abcd");
    list.FreeValue(joined);
    joined = list.JoinValues("ab", nullptr);
    EXPECT_STREQ(joined, "ab");
    list.FreeValue(joined);
    EXPECT_EQ(list.JoinValues(nullptr, "x"), nullptr);
    EXPECT_EQ(list.ValueLength(nullptr), 0);
    EXPECT_EQ(list.ValueLength("abc"), 3);

    list.AddText("a", "1");
    list.AddText("a", "2");
    list.Add(nullptr, nullptr, 0);
    NUNVList* copy = list.Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Pairs(*copy), (Texts{"a=1", "a=2", "(null)=(null)"}));
    list.SetByName("a", "changed", 8);
    char* value = nullptr;
    copy->Find("a", &value);
    EXPECT_STREQ(value, "1");
    delete copy;
}

namespace {

struct Record {
    explicit Record(int* counter) : destroyed(counter) {}
    virtual ~Record() { ++*destroyed; }
    int* destroyed;
};

}  // namespace

TEST(NVRecodes, OwnsAndDestroysItsRecords) {
    int destroyed = 0;
    {
        NURecodes rows(NURecodes::DeleteAs<Record>);
        EXPECT_EQ(rows.Capacity(), 128);
        Record* first = new Record(&destroyed);
        EXPECT_EQ(rows.AddRecord("1", first), 0);
        EXPECT_EQ(rows.AddRecord("2", new Record(&destroyed)), 0);
        EXPECT_EQ(rows.AddRecord("3", new Record(&destroyed)), 0);
        EXPECT_EQ(rows.RecordAt(0), first);
        EXPECT_EQ(rows.RecordAt(3), nullptr);
        EXPECT_EQ(rows.RemoveAt(1), 0);
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(rows.Clone(), nullptr);
    }
    EXPECT_EQ(destroyed, 3);
}

// ---- NUioObjList

// The path is the directory and the name joined by one "/", refused when
// it would not fit its 1023 bytes; a directory that ends in "/" gets no
// separator added.
TEST(NVioObjList, SetPathJoinsDirectoryAndNameWithinTheLimit) {
    const std::string name(1023, 'n');
    const std::string longer = name + "n";
    const std::string dir(1022 - 5, 'd');
    const std::string slashDir = std::string(1022 - 6, 'd') + "/";
    const struct {
        const char* name;
        const char* dir;
        std::string expected;  // "": refused
    } rows[] = {
        {"x.sts", "dir/", "dir/x.sts"},
        {"x.sts", "dir", "dir/x.sts"},
        {"x.sts", "", "x.sts"},
        {"x.sts", nullptr, "x.sts"},
        {name.c_str(), nullptr, name},
        {longer.c_str(), nullptr, ""},
        {"abcde", dir.c_str(), dir + "/abcde"},
        {"abcdef", dir.c_str(), ""},
        {"abcdef", slashDir.c_str(), slashDir + "abcdef"},
        {"abcdefg", slashDir.c_str(), ""},
        {nullptr, "d", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.dir ? row.dir : "(null)").substr(0, 8) + " " +
                     std::string(row.name ? row.name : "(null)").substr(0, 8));
        NUioObjList obj;
        EXPECT_EQ(obj.SetPath(row.name, row.dir), row.expected.empty() ? -1 : 0);
        char path[kNUPathSize];
        EXPECT_EQ(obj.GetPath(path), row.expected.empty() ? -11 : 0);
        EXPECT_EQ(row.expected.empty() ? "" : std::string(path), row.expected);
    }
}

TEST(NVioObjList, AddGetAppendAndLookups) {
    NUioObjList obj;
    char* name = nullptr;
    char* value = nullptr;
    EXPECT_EQ(obj.Count(), 0);
    EXPECT_EQ(obj.List(), nullptr);
    EXPECT_EQ(obj.GetAt(0, &name, &value), -20);
    EXPECT_EQ(obj.FindValue("k", &value), -20);
    EXPECT_EQ(obj.AppendToLast("x"), -7);
    EXPECT_EQ(obj.Add(nullptr, "v", nullptr), -1);

    unsigned char ctx = 0;
    EXPECT_EQ(obj.Add("k", "v1", &ctx), 0);
    EXPECT_EQ(obj.Add("n", nullptr, &ctx), 0);
    EXPECT_EQ(obj.AppendToLast("\nmore"), 0);  // a null value is joined as ""
    EXPECT_EQ(obj.Add("k", "v2", &ctx), 0);
    EXPECT_EQ(obj.AppendToLast("+"), 0);
    EXPECT_EQ(obj.Count(), 3);
    EXPECT_EQ(obj.GetAt(1, &name, &value), 0);
    EXPECT_STREQ(name, "n");
    EXPECT_STREQ(value, "\nmore");
    EXPECT_EQ(obj.GetAt(3, &name, &value), -20);
    EXPECT_EQ(obj.FindValue("k", &value), 0);
    EXPECT_STREQ(value, "v1");

    char** values = nullptr;
    EXPECT_EQ(obj.FindAll("k", &values), 2);
    ASSERT_NE(values, nullptr);
    EXPECT_STREQ(values[0], "v1");
    EXPECT_STREQ(values[1], "v2+");
    delete[] values;
    EXPECT_EQ(obj.FindAll("none", &values), 0);
    EXPECT_EQ(values, nullptr);
    EXPECT_EQ(obj.FindAll(nullptr, &values), -1);
    EXPECT_EQ(obj.FindAll("k", nullptr), -1);
}
