// Object lists of the zip reader: a list that may own its items, and a sorted
// list with a binary search and a policy for equal items.
#pragma once

#include "platform/Classes.h"
#include "platform/SysUtils.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumvor {

template <class T>
class TObjectList {
public:
    TObjectList() = default;
    TObjectList(const TObjectList&) = delete;
    TObjectList& operator=(const TObjectList&) = delete;
    virtual ~TObjectList() {
        if (OwnsObjects)
            for (T* item : items_)
                delete item;
    }

    bool OwnsObjects = true;

    int Count() const { return static_cast<int>(items_.size()); }
    T* Items(int index) const {
        CheckIndex(index);
        return items_[static_cast<size_t>(index)];
    }
    T* First() const { return Count() ? items_.front() : nullptr; }
    T* Last() const { return Count() ? items_.back() : nullptr; }

    virtual int Add(T* item) {
        items_.push_back(item);
        return Count() - 1;
    }
    virtual void Insert(int index, T* item) {
        if (index < 0 || index > Count())
            CheckIndex(index);
        items_.insert(items_.begin() + index, item);
    }
    virtual int IndexOf(const T* item) const {
        for (size_t i = 0; i < items_.size(); ++i)
            if (items_[i] == item)
                return static_cast<int>(i);
        return -1;
    }
    // Empties the list without freeing the items.
    void Clear() { items_.clear(); }

protected:
    void CheckIndex(int index) const {
        if (index < 0 || index >= Count())
            throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    }
    std::vector<T*> items_;
};

// What a sorted list does with an item equal to one it holds: the class
// library's duplicates setting, shared with the string lists.
using TDuplicatePolicy = TDuplicates;

template <class T>
class TSortedObjectList : public TObjectList<T> {
public:
    explicit TSortedObjectList(TDuplicatePolicy policy) : policy_(policy) {}

    TDuplicatePolicy Policy() const { return policy_; }

    // Below 0 when item sorts before key, 0 when equal, above 0 after.
    virtual int Compare(const T* item, const T* key) const = 0;

    // Binary search: the index of an equal item or of the place where the key
    // belongs (after the equal items when equal items are accepted).
    bool Find(const T* key, int& index) const {
        int low = 0, high = this->Count() - 1;
        bool found = false;
        while (low <= high) {
            int middle = (low + high) / 2;
            int c = Compare(this->items_[static_cast<size_t>(middle)], key);
            if (c == 0)
                found = true;
            if (c < 0 || (c == 0 && policy_ == dupAccept)) {
                low = middle + 1;  // equal items accepted keep their order of arrival
            } else {
                high = middle - 1;
                if (c == 0)
                    low = middle;
            }
        }
        index = low;
        return found;
    }

    int Add(T* item) override {
        int index;
        if (Find(item, index)) {
            if (policy_ == dupIgnore)
                return -1;
            if (policy_ == dupError)
                throw EListError("Duplicate Object index");
        }
        this->items_.insert(this->items_.begin() + index, item);
        return index;
    }
    void Insert(int, T* item) override { Add(item); }
    int IndexOf(const T* item) const override {
        int index;
        if (Find(item, index) && index < this->Count() && this->items_[static_cast<size_t>(index)] == item)
            return index;
        return TObjectList<T>::IndexOf(item);
    }

private:
    TDuplicatePolicy policy_;
};

}  // namespace lumvor
