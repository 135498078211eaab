// A string list whose entries carry a 32-bit Data value beside the object
// pointer (the explorer keeps drive kinds and similar numbers there).
//
// Texts compare ignoring case (CompareText). A sorted list keeps its entries in
// that order and refuses Insert and Put; Duplicates decides what Add does with a
// text already present. A bad index raises EListError "List index out of bounds
// (<index>)". GUI thread or one owner thread; not shared.
#pragma once

#include "platform/Classes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumvor {

class TStringListEx : public TStrings {
public:
    int Count() const override { return count_; }
    std::string Get(int Index) const override;
    // Raises EListError "Operation not allowed on sorted string list" when sorted.
    void Put(int Index, const std::string& Text) override;
    void* GetObject(int Index) const override;
    void PutObject(int Index, void* Object) override;
    int32_t GetData(int Index) const;
    void PutData(int Index, int32_t Data);
    int32_t Data(int Index) const { return GetData(Index); }

    // Appends, or on a sorted list goes to the sorted place: with dupIgnore an
    // equal text already there is answered with its index, with dupError raises
    // EListError "String list does not allow duplicates".
    int Add(const std::string& Text) override;
    // Raises EListError "Operation not allowed on sorted string list" when sorted.
    void Insert(int Index, const std::string& Text) override;
    void Delete(int Index) override;
    void Clear() override;
    // Exchanges whole entries (text, object and Data).
    void Exchange(int Index1, int Index2) override;
    // Binary search on a sorted list, a scan otherwise; -1 when absent.
    int IndexOf(const std::string& Text) const override;
    // Binary search of a sorted list: true when found; Index is the position of
    // the text, or where it would be inserted.
    bool Find(const std::string& Text, int& Index) const;
    // Quick sort of an unsorted list of two or more entries (equal texts end in
    // no defined order); a sorted list is left as it is.
    void Sort();

    bool Sorted() const { return sorted_; }
    // Turning sorting on sorts the list first.
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }

    // Room reserved for entries; grows by 4 up to 8, by 16 up to 64, then by a
    // quarter.
    int Capacity() const { return static_cast<int>(list_.size()); }

private:
    struct Entry {
        std::string Text;
        void* Object = nullptr;
        int32_t Data = 0;
    };
    void CheckIndex(int Index) const;
    void Grow();
    void InsertItem(int Index, const std::string& Text);

    std::vector<Entry> list_;  // list_.size() is the capacity
    int count_ = 0;
    bool sorted_ = false;
    TDuplicates duplicates_ = dupIgnore;
};

}  // namespace lumvor
