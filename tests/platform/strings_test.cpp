// String and pointer lists: ordering, duplicates, name-value lines, text forms
// and files.
#include "platform/Classes.h"
#include "platform/Streams.h"

#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace lumvor;

namespace {

std::string Home() { return std::getenv("LUMVOR_HOME"); }

std::string Fixture(const char* name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

std::string ReadBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& fileName, const std::string& bytes) {
    std::ofstream(fileName, std::ios::binary) << bytes;
}

std::vector<std::string> Lines(const TStrings& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list[i]);
    return out;
}

using V = std::vector<std::string>;

}  // namespace

TEST(StringList, SortedListOrdersIgnoringCaseAndAppliesDuplicates) {
    struct Case {
        TDuplicates duplicates;
        V expected;
        int throwsAt;  // index in the input of the add that raises, -1 for none
    };
    const V input = {"beta", "Alpha", "gamma", "ALPHA", "Beta2", "_x", "10", "9"};
    const Case cases[] = {
        {dupIgnore, {"10", "9", "_x", "Alpha", "beta", "Beta2", "gamma"}, -1},
        {dupAccept, {"10", "9", "_x", "Alpha", "ALPHA", "beta", "Beta2", "gamma"}, -1},
        {dupError, {"10", "9", "_x", "Alpha", "beta", "Beta2", "gamma"}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.duplicates));
        TStringList list;
        list.SetSorted(true);
        list.SetDuplicates(c.duplicates);
        for (size_t i = 0; i < input.size(); ++i) {
            if (static_cast<int>(i) == c.throwsAt)
                EXPECT_THROW(list.Add(input[i]), EListError);
            else
                list.Add(input[i]);
        }
        EXPECT_EQ(Lines(list), c.expected);
    }
}

TEST(StringList, DuplicateIgnoredReturnsTheIndexOfTheTextAlreadyThere) {
    TStringList list;
    list.SetSorted(true);
    list.Add("b");
    list.Add("c");
    EXPECT_EQ(list.Add("B"), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], "b");
}

TEST(StringList, SortingAnUnsortedListKeepsObjectsWithTheirTexts) {
    TStringList list;
    int a = 1, b = 2, c = 3;
    list.AddObject("cherry", &c);
    list.AddObject("Apple", &a);
    list.AddObject("banana", &b);
    list.SetSorted(true);
    EXPECT_EQ(Lines(list), (V{"Apple", "banana", "cherry"}));
    EXPECT_EQ(list.Objects(0), &a);
    EXPECT_EQ(list.Objects(2), &c);
    EXPECT_THROW(list.Insert(0, "x"), EListError);
    EXPECT_THROW(list.Put(0, "x"), EListError);
}

TEST(StringList, IndexOfIgnoresCaseOnSortedAndUnsortedLists) {
    for (bool sorted : {false, true}) {
        SCOPED_TRACE(sorted);
        TStringList list;
        list.SetSorted(sorted);
        for (const char* s : {"Zeta", "photo.JPG", "alpha", "Ärger"})
            list.Add(s);
        EXPECT_GE(list.IndexOf("PHOTO.jpg"), 0);
        EXPECT_EQ(list[list.IndexOf("zETA")], "Zeta");
        EXPECT_GE(list.IndexOf("ärger"), 0);
        EXPECT_EQ(list.IndexOf("photo"), -1);
        EXPECT_EQ(list.IndexOf(""), -1);
    }
}

TEST(StringList, FindGivesTheInsertPositionOfAMissingText) {
    TStringList list;
    list.SetSorted(true);
    list.SetCommaText("a,c,e");
    int index = -1;
    EXPECT_FALSE(list.Find("D", index));
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(list.Find("E", index));
    EXPECT_EQ(index, 2);
}

TEST(StringList, NamesAndValues) {
    TStringList list;
    list.SetText("[Header]\r\nN=3\r\nKey=a=b\r\nempty=\r\nnoequals\r\n");
    EXPECT_EQ(list.Values("n"), "3");
    EXPECT_EQ(list.Values("KEY"), "a=b");  // split at the first "="
    EXPECT_EQ(list.Values("empty"), "");
    EXPECT_EQ(list.Values("noequals"), "");
    EXPECT_EQ(list.IndexOfName("noequals"), -1);
    EXPECT_EQ(list.IndexOfName("Empty"), 3);
    EXPECT_EQ(list.Names(2), "Key");
    EXPECT_EQ(list.Names(0), "");

    list.SetValues("n", "7");
    EXPECT_EQ(list[1], "n=7");
    list.SetValues("New", "x");
    EXPECT_EQ(list[list.Count() - 1], "New=x");
    list.SetValues("key", "");
    EXPECT_EQ(list.IndexOfName("Key"), -1);
}

TEST(StringList, TextSplitsAtEveryKindOfLineBreak) {
    struct Case {
        const char* text;
        V lines;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"", {}},
        {"\n", {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TStringList list;
        list.SetText(c.text);
        EXPECT_EQ(Lines(list), c.lines);
    }
    TStringList list;
    list.SetText(std::string("one\ntwo\0three\n", 14));
    EXPECT_EQ(Lines(list), (V{"one", "two"}));
    EXPECT_EQ(list.Text(), "one\r\ntwo\r\n");
}

TEST(StringList, CommaTextQuotesWhereNeededAndReadsBack) {
    TStringList list;
    for (const char* s : {"plain", "two words", "a,b", "say \"hi\"", ""})
        list.Add(s);
    EXPECT_EQ(list.CommaText(), "plain,\"two words\",\"a,b\",\"say \"\"hi\"\"\",\"\"");
    TStringList back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(Lines(back), Lines(list));

    back.SetCommaText("  x y, z ,, \"q\"r");
    EXPECT_EQ(Lines(back), (V{"x", "y", "z", "", "q", "r"}));
}

TEST(StringList, LoadsLfAndWindows1252FilesAndSavesCrLf) {
    TStringList lf;
    lf.LoadFromFile(Fixture("lines-lf-utf8.txt"));
    EXPECT_EQ(Lines(lf), (V{"[Header]", "N=3", "run=2", "", "[Directory]", "0=/pictures/ñandú"}));
    EXPECT_EQ(lf.Values("RUN"), "2");

    TStringList cp;
    cp.LoadFromFile(Fixture("lines-cp1252.txt"));
    EXPECT_EQ(Lines(cp), (V{"Café au lait", "€ 5,00", "“quoted” — dash", "last line"}));

    std::string out = Home() + "/saved.txt";
    cp.SaveToFile(out);
    EXPECT_EQ(ReadBytes(out), "Café au lait\r\n€ 5,00\r\n“quoted” — dash\r\nlast line\r\n");
    TStringList again;
    again.LoadFromFile(out);
    EXPECT_EQ(Lines(again), Lines(cp));
}

TEST(StringList, ByteOrderMarkIsDroppedAndInvalidUtf8FallsBack) {
    std::string bom = Home() + "/bom.txt";
    WriteBytes(bom, "\xEF\xBB\xBF[Header]\r\nN=1\r\n");
    TStringList list;
    list.LoadFromFile(bom);
    EXPECT_EQ(list.IndexOf("[header]"), 0);

    // A truncated UTF-8 sequence at the end makes the file Windows-1252.
    std::string broken = Home() + "/broken.txt";
    WriteBytes(broken, "ok\n\xC3");
    list.LoadFromFile(broken);
    EXPECT_EQ(Lines(list), (V{"ok", "Ã"}));

    EXPECT_THROW(list.LoadFromFile(Home() + "/missing.txt"), EFOpenError);
}

TEST(StringList, Windows1252BothWaysAgreesWithIconv) {
    // Every assigned byte from blank on; iconv refuses 0x81, 0x8D, 0x8F, 0x90, 0x9D.
    std::string bytes;
    for (int b = 0x20; b <= 0xFF; ++b)
        if (b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D) bytes += char(b);
    const std::string file = std::string(std::getenv("LUMVOR_HOME")) + "/cp1252.bin";
    std::ofstream(file, std::ios::binary) << bytes;
    const std::string utf8 = test::CommandOutput("iconv -f WINDOWS-1252 -t UTF-8 '" + file + "'");
    ASSERT_FALSE(utf8.empty());
    EXPECT_EQ(Cp1252ToUtf8(bytes), utf8);
    std::string back;
    ASSERT_TRUE(Utf8ToCp1252(utf8, back));
    EXPECT_EQ(back, bytes);
    for (const char* outside : {"\xCE\xA9", "\xF0\x9F\x98\x80", "\xC3"})
        EXPECT_FALSE(Utf8ToCp1252(outside, back)) << outside;
}

TEST(StringList, StampChangesWithEveryChangeOfTheTexts) {
    TStringList list, other;
    std::vector<uint64_t> stamps = {list.Stamp()};
    const std::vector<std::function<void()>> changes = {
        [&] { list.Add("b"); },      [&] { list.Add("a"); },         [&] { list.Put(0, "c"); },
        [&] { list.Exchange(0, 1); }, [&] { list.Sort(); },          [&] { list.Insert(0, "d"); },
        [&] { list.Delete(0); },     [&] { list.SetText("x\r\ny"); }, [&] { list.Clear(); }};
    for (const auto& change : changes) {
        change();
        EXPECT_EQ(std::count(stamps.begin(), stamps.end(), list.Stamp()), 0);
        stamps.push_back(list.Stamp());
    }
    other.Add("x");
    EXPECT_NE(other.Stamp(), list.Stamp());
}

TEST(StringList, LoadFromStreamReadsFromThePositionAndStopsAtNul) {
    TMemoryStream stream;
    const std::string bytes("skip|a\nb\n\0\0\0", 12);
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(5);
    TStringList list;
    list.LoadFromStream(stream);
    EXPECT_EQ(Lines(list), (V{"a", "b"}));

    TMemoryStream saved;
    list.SaveToStream(saved);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(saved.Memory()), saved.Size()), "a\r\nb\r\n");
}

TEST(StringList, BadIndexAndCapacityRaise) {
    TStringList list;
    list.Add("a");
    EXPECT_THROW(list.Get(1), EListError);
    EXPECT_THROW(list.Get(-1), EListError);
    EXPECT_THROW(list.Delete(1), EListError);
    EXPECT_THROW(list.Insert(2, "x"), EListError);
    EXPECT_THROW(list.Exchange(0, 1), EListError);
    try {
        list.Get(5);
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
    list.SetCapacity(1048576);
    EXPECT_EQ(list.Capacity(), 1048576);
    list.Insert(1, "b");
    list.Exchange(0, 1);
    EXPECT_EQ(Lines(list), (V{"b", "a"}));
    EXPECT_THROW(list.SetCapacity(1), EListError);
}

TEST(List, PointersWithIndexChecksAndSort) {
    int v[4] = {30, 10, 20, 40};
    TList list;
    for (int& x : v)
        list.Add(&x);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.IndexOf(&v[2]), 2);
    EXPECT_EQ(list.Remove(&v[3]), 3);
    EXPECT_EQ(list.Remove(&v[3]), -1);
    list.Insert(0, &v[3]);
    EXPECT_EQ(list[0], &v[3]);
    list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
    std::vector<int> sorted;
    for (int i = 0; i < list.Count(); ++i)
        sorted.push_back(*static_cast<int*>(list.Items(i)));
    EXPECT_EQ(sorted, (std::vector<int>{10, 20, 30, 40}));
    EXPECT_THROW(list.Items(4), EListError);
    EXPECT_THROW(list.Delete(-1), EListError);
    EXPECT_THROW(list.Insert(5, nullptr), EListError);
    EXPECT_THROW(list.SetCapacity(2), EListError);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}
