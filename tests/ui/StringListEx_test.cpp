// The string list whose entries carry a Data value.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/StringListEx.h"

using namespace lumvor;

namespace {

std::vector<std::string> Texts(const TStringListEx& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
    return out;
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EListError& e) {
        return e.Message();
    }
    return "no error";
}

}  // namespace

TEST(StringListEx, EntriesKeepObjectAndDataThroughSortAndExchange) {
    TStringListEx list;
    int a = 0, b = 0, c = 0;
    for (auto [text, object, data] : {std::tuple{"pear", &a, 3}, {"Apple", &b, 1}, {"fig", &c, 2}}) {
        const int i = list.Add(text);
        list.PutObject(i, object);
        list.PutData(i, data);
    }
    list.Sort();
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"Apple", "fig", "pear"}));
    EXPECT_EQ(list.GetObject(0), &b);
    EXPECT_EQ(list.GetData(0), 1);
    EXPECT_EQ(list.GetData(2), 3);
    list.Exchange(0, 2);
    EXPECT_EQ(list.Get(0), "pear");
    EXPECT_EQ(list.GetObject(0), &a);
    EXPECT_EQ(list.GetData(0), 3);
    list.Delete(0);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"fig", "Apple"}));
    EXPECT_EQ(list.GetData(1), 1);
    EXPECT_EQ(list.IndexOf("APPLE"), 1);
}

TEST(StringListEx, BadIndexesRaiseTheListIndexError) {
    TStringListEx list;
    list.Add("one");
    EXPECT_EQ(ErrorOf([&] { list.GetData(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(ErrorOf([&] { list.PutData(1, 5); }), "List index out of bounds (1)");
    EXPECT_EQ(ErrorOf([&] { list.GetObject(7); }), "List index out of bounds (7)");
    EXPECT_EQ(ErrorOf([&] { list.PutObject(-2, nullptr); }), "List index out of bounds (-2)");
}

TEST(StringListEx, SortedListFindsPlacesAndAppliesDuplicates) {
    TStringListEx list;
    list.SetSorted(true);
    for (const char* t : {"delta", "Bravo", "alpha", "charlie"}) list.Add(t);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"alpha", "Bravo", "charlie", "delta"}));
    EXPECT_EQ(list.IndexOf("CHARLIE"), 2);
    EXPECT_EQ(list.IndexOf("echo"), -1);

    list.PutData(1, 42);
    EXPECT_EQ(list.Add("BRAVO"), 1);  // ignored: the index of the one there
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.GetData(1), 42);

    list.SetDuplicates(dupError);
    EXPECT_EQ(ErrorOf([&] { list.Add("bravo"); }), "String list does not allow duplicates");
    list.SetDuplicates(dupAccept);
    list.Add("bravo");
    EXPECT_EQ(list.Count(), 5);

    EXPECT_EQ(ErrorOf([&] { list.Insert(0, "x"); }), "Operation not allowed on sorted string list");
    EXPECT_EQ(ErrorOf([&] { list.Put(0, "x"); }), "Operation not allowed on sorted string list");
}

TEST(StringListEx, UnsortedListTurnedSortedSortsFirst) {
    TStringListEx list;
    for (const char* t : {"c", "a", "b"}) list.Add(t);
    list.Insert(0, "d");
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"d", "c", "a", "b"}));
    list.SetSorted(true);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(StringListEx, CapacityGrowsByFourThenSixteenThenAQuarter) {
    TStringListEx list;
    std::vector<int> capacities;
    for (int i = 0; i < 120; ++i) {
        list.Add(std::to_string(i));
        if (capacities.empty() || capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
    EXPECT_EQ(list.Get(119), "119");
}
