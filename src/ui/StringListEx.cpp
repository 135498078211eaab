#include "ui/StringListEx.h"

#include <algorithm>
#include <utility>

namespace lumvor {

void TStringListEx::CheckIndex(int Index) const {
    if (Index < 0 || Index >= count_) IndexError(Index);
}

std::string TStringListEx::Get(int Index) const {
    CheckIndex(Index);
    return list_[static_cast<size_t>(Index)].Text;
}

void TStringListEx::Put(int Index, const std::string& Text) {
    if (sorted_) throw EListError("Operation not allowed on sorted string list");
    CheckIndex(Index);
    list_[static_cast<size_t>(Index)].Text = Text;
}

void* TStringListEx::GetObject(int Index) const {
    CheckIndex(Index);
    return list_[static_cast<size_t>(Index)].Object;
}

void TStringListEx::PutObject(int Index, void* Object) {
    CheckIndex(Index);
    list_[static_cast<size_t>(Index)].Object = Object;
}

int32_t TStringListEx::GetData(int Index) const {
    CheckIndex(Index);
    return list_[static_cast<size_t>(Index)].Data;
}

void TStringListEx::PutData(int Index, int32_t Data) {
    CheckIndex(Index);
    list_[static_cast<size_t>(Index)].Data = Data;
}

void TStringListEx::Grow() {
    const int capacity = Capacity();
    const int delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
    list_.resize(static_cast<size_t>(capacity + delta));
}

void TStringListEx::InsertItem(int Index, const std::string& Text) {
    if (count_ == Capacity()) Grow();
    // Shift the entries after Index one place up; the spare slot at count_ moves down.
    std::rotate(list_.begin() + Index, list_.begin() + count_, list_.begin() + count_ + 1);
    list_[static_cast<size_t>(Index)] = Entry{Text, nullptr, 0};
    ++count_;
}

int TStringListEx::Add(const std::string& Text) {
    int index = count_;
    if (sorted_ && Find(Text, index)) {
        if (duplicates_ == dupIgnore) return index;
        if (duplicates_ == dupError) throw EListError("String list does not allow duplicates");
    }
    InsertItem(index, Text);
    return index;
}

void TStringListEx::Insert(int Index, const std::string& Text) {
    if (sorted_) throw EListError("Operation not allowed on sorted string list");
    if (Index < 0 || Index > count_) IndexError(Index);
    InsertItem(Index, Text);
}

void TStringListEx::Delete(int Index) {
    CheckIndex(Index);
    std::rotate(list_.begin() + Index, list_.begin() + Index + 1, list_.begin() + count_);
    --count_;
    list_[static_cast<size_t>(count_)] = Entry{};
}

void TStringListEx::Clear() {
    list_.clear();
    count_ = 0;
}

void TStringListEx::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(list_[static_cast<size_t>(Index1)], list_[static_cast<size_t>(Index2)]);
}

bool TStringListEx::Find(const std::string& Text, int& Index) const {
    int low = 0, high = count_ - 1;
    bool found = false;
    while (low <= high) {
        const int mid = (low + high) / 2;
        const int c = CompareText(list_[static_cast<size_t>(mid)].Text, Text);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0) {
                found = true;
                // With duplicates accepted the first equal entry is the answer.
                if (duplicates_ != dupAccept) low = mid;
            }
        }
    }
    Index = low;
    return found;
}

int TStringListEx::IndexOf(const std::string& Text) const {
    if (!sorted_) return TStrings::IndexOf(Text);
    int index = 0;
    return Find(Text, index) ? index : -1;
}

void TStringListEx::Sort() {
    if (sorted_ || count_ < 2) return;
    std::sort(list_.begin(), list_.begin() + count_,
              [](const Entry& a, const Entry& b) { return CompareText(a.Text, b.Text) < 0; });
}

void TStringListEx::SetSorted(bool Value) {
    if (Value == sorted_) return;
    if (Value) Sort();
    sorted_ = Value;
}

}  // namespace lumvor
