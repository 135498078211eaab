// Lists of texts and of pointers, with 0-based indices.
//
// TStrings is the abstract list of texts, each text with an associated object
// pointer; TStringList keeps them in memory and can hold them sorted. Texts are
// UTF-8. Comparisons of texts ignore case (CompareText of SysUtils.h). A bad index
// raises EListError "List index out of bounds (<index>)".
#pragma once

#include "platform/SysUtils.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumvor {

class TStream;

// Bytes of a text as UTF-8: a leading byte-order mark is dropped; bytes that are
// not valid UTF-8 are read as Windows-1252.
std::string DecodeText(std::string_view bytes);
// Bytes of Windows-1252 text as UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);
// UTF-8 text as Windows-1252 bytes into out; false (out undefined) when a
// character has no Windows-1252 byte.
bool Utf8ToCp1252(std::string_view text, std::string& out);
// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings {
public:
    virtual ~TStrings() = default;

    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& text);
    // The object pointer stored with a text; nullptr unless set. Plain integers
    // are stored with reinterpret_cast through intptr_t.
    virtual void* GetObject(int index) const;
    virtual void PutObject(int index, void* object);
    virtual void Insert(int index, const std::string& text) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int index1, int index2);
    // Returns the index of the new text.
    virtual int Add(const std::string& text);
    int AddObject(const std::string& text, void* object);
    void InsertObject(int index, const std::string& text, void* object);
    void AddStrings(const TStrings& strings);
    // Replaces the texts and objects by those of source.
    void Assign(const TStrings& source);
    // Updates of a visible list may be suspended between these calls.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}

    std::string Strings(int index) const { return Get(index); }
    std::string operator[](int index) const { return Get(index); }
    void* Objects(int index) const { return GetObject(index); }
    void SetObjects(int index, void* object) { PutObject(index, object); }

    // First index of a text equal to text ignoring case; -1 when absent.
    virtual int IndexOf(const std::string& text) const;
    int IndexOfObject(const void* object) const;

    // Name-value pairs, one per line as "name=value".
    // The part of line index before the first "=" ("" when the line has none).
    std::string Names(int index) const;
    // First index whose name equals name ignoring case; -1 when absent.
    int IndexOfName(const std::string& name) const;
    // The part after the first "=" of the line named name; "" when absent.
    std::string Values(const std::string& name) const;
    // Replaces the value of the line named name, or adds "name=value"; an empty
    // value deletes the line.
    void SetValues(const std::string& name, const std::string& value);

    // Every line followed by CR LF.
    std::string Text() const;
    // Splits at CR LF, LF or CR; a last line break does not add an empty line;
    // a NUL byte ends the text.
    void SetText(std::string_view text);
    // The texts separated by ","; an empty text, or one holding a blank, a control
    // character, "," or "\"", is written in double quotes with inner quotes doubled.
    std::string CommaText() const;
    // Splits at "," and at blanks outside double quotes.
    void SetCommaText(std::string_view text);

    // Reads the rest of the stream (from its position) as text, see LoadFromFile.
    void LoadFromStream(TStream& stream);
    // Writes Text() as UTF-8.
    void SaveToStream(TStream& stream) const;
    // Reads the file as UTF-8 (a leading byte-order mark is dropped); a file that is
    // not valid UTF-8 is read as Windows-1252. Raises EFOpenError when the file
    // cannot be opened.
    void LoadFromFile(const std::string& fileName);
    // Writes Text() (CR LF line ends) as UTF-8 without byte-order mark, through a
    // temporary file and a rename. Raises EFCreateError or EWriteError.
    void SaveToFile(const std::string& fileName) const;

protected:
    [[noreturn]] static void IndexError(int index);
};

class TStringList : public TStrings {
public:
    int Count() const override { return static_cast<int>(items_.size()); }
    std::string Get(int index) const override;
    // Raises EListError when the list is sorted.
    void Put(int index, const std::string& text) override;
    void* GetObject(int index) const override;
    void PutObject(int index, void* object) override;
    // On a sorted list the text goes to its sorted place and Duplicates applies:
    // dupIgnore returns the index of the equal text already there, dupError raises
    // EListError "String list does not allow duplicates".
    int Add(const std::string& text) override;
    // Raises EListError "Operation not allowed on sorted string list" when sorted.
    void Insert(int index, const std::string& text) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int index1, int index2) override;
    int IndexOf(const std::string& text) const override;

    // Binary search of a sorted list: true when found; index is the position of the
    // text, or where it would be inserted.
    bool Find(const std::string& text, int& index) const;
    // Sorts by CompareText (stable: equal texts keep their order).
    void Sort();
    // Sorts by compare(list, index1, index2); the list is not marked sorted.
    void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);

    bool Sorted() const { return sorted_; }
    // Turning sorting on sorts the list.
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }

    int Capacity() const;
    // Room for capacity texts; below Count raises EListError
    // "List capacity out of bounds (<capacity>)".
    void SetCapacity(int capacity);

    // Direct view of a text, without copying.
    const std::string& At(int index) const;

    // A number that changes with every change of the texts (and differs from
    // every other list's): a table built over the list can tell it is stale.
    uint64_t Stamp() const { return stamp_; }

private:
    struct Item {
        std::string text;
        void* object = nullptr;
    };
    void CheckIndex(int index) const;
    void InsertItem(int index, const std::string& text, void* object);
    void Changed();

    std::vector<Item> items_;
    uint64_t stamp_ = 0;
    int capacity_ = 0;
    bool sorted_ = false;
    TDuplicates duplicates_ = dupIgnore;
};

// A list of untyped pointers (the list does not own them).
class TList {
public:
    using CompareFunction = std::function<int(void*, void*)>;

    int Count() const { return static_cast<int>(items_.size()); }
    void* Items(int index) const;
    void* operator[](int index) const { return Items(index); }
    void Put(int index, void* item);
    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    void Exchange(int index1, int index2);
    // First index of item; -1 when absent.
    int IndexOf(const void* item) const;
    // Deletes the first occurrence of item and returns its former index (-1 when absent).
    int Remove(const void* item);
    void Clear();
    // Sorts by compare (negative, 0, positive), stable.
    void Sort(const CompareFunction& compare);
    int Capacity() const;
    // Below Count raises EListError "List capacity out of bounds (<capacity>)".
    void SetCapacity(int capacity);
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }

private:
    void CheckIndex(int index) const;

    std::vector<void*> items_;
    int capacity_ = 0;
};

}  // namespace lumvor
