#include "platform/Classes.h"

#include "platform/Streams.h"

#include <QString>

#include <algorithm>
#include <atomic>

namespace lumvor {

namespace {

// Physical room reserved for a requested capacity: a larger request (lists are
// given room for a million lines) is honoured as the list grows.
constexpr int kMaxReserve = 65536;

[[noreturn]] void CapacityError(int capacity) {
    throw EListError("List capacity out of bounds (" + std::to_string(capacity) + ")");
}

// Characters 0x80-0x9F of Windows-1252; the five unassigned codes keep their
// C1 control value.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A NUL byte ends a text given to a list.
std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        int extra;
        char32_t c;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            c = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            c = b & 0x07;
        } else {
            return false;
        }
        if (n - i <= static_cast<size_t>(extra))
            return false;
        for (int k = 1; k <= extra; ++k) {
            auto cont = static_cast<unsigned char>(s[i + k]);
            if ((cont & 0xC0) != 0x80)
                return false;
            c = c << 6 | (cont & 0x3F);
        }
        if ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += ch;
        else if (b < 0xA0)
            AppendUtf8(out, kCp1252High[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

bool Utf8ToCp1252(std::string_view text, std::string& out) {
    if (!IsValidUtf8(text))
        return false;
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        auto b = static_cast<unsigned char>(text[i]);
        char32_t c = b;
        int length = 1;
        if (b >= 0xF0) {
            return false;  // beyond the basic plane: never in Windows-1252
        } else if (b >= 0xE0) {
            c = (b & 0x0F) << 12 | (static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6 |
                (static_cast<unsigned char>(text[i + 2]) & 0x3F);
            length = 3;
        } else if (b >= 0xC0) {
            c = (b & 0x1F) << 6 | (static_cast<unsigned char>(text[i + 1]) & 0x3F);
            length = 2;
        }
        i += static_cast<size_t>(length);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        const auto high = std::find(std::begin(kCp1252High), std::end(kCp1252High), static_cast<char16_t>(c));
        if (c > 0xFFFF || high == std::end(kCp1252High))
            return false;
        out += static_cast<char>(0x80 + (high - std::begin(kCp1252High)));
    }
    return true;
}

std::string DecodeText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return IsValidUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

// ---- TStrings

void TStrings::IndexError(int index) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStrings::Put(int index, const std::string& text) {
    void* object = GetObject(index);
    Delete(index);
    InsertObject(index, text, object);
}

void* TStrings::GetObject(int index) const {
    if (index < 0 || index >= Count())
        IndexError(index);
    return nullptr;
}

void TStrings::PutObject(int index, void*) {
    if (index < 0 || index >= Count())
        IndexError(index);
}

void TStrings::Exchange(int index1, int index2) {
    std::string text1 = Get(index1);
    void* object1 = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, text1);
    PutObject(index2, object1);
}

int TStrings::Add(const std::string& text) {
    int index = Count();
    Insert(index, text);
    return index;
}

int TStrings::AddObject(const std::string& text, void* object) {
    int index = Add(text);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const std::string& text, void* object) {
    Insert(index, text);
    PutObject(index, object);
}

void TStrings::AddStrings(const TStrings& strings) {
    BeginUpdate();
    const int count = strings.Count();
    for (int i = 0; i < count; ++i)
        AddObject(strings.Get(i), strings.GetObject(i));
    EndUpdate();
}

void TStrings::Assign(const TStrings& source) {
    if (&source == this)
        return;
    BeginUpdate();
    Clear();
    AddStrings(source);
    EndUpdate();
}

int TStrings::IndexOf(const std::string& text) const {
    const int count = Count();
    for (int i = 0; i < count; ++i)
        if (CompareText(Get(i), text) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfObject(const void* object) const {
    const int count = Count();
    for (int i = 0; i < count; ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

std::string TStrings::Names(int index) const {
    std::string line = Get(index);
    size_t eq = line.find('=');
    return eq == std::string::npos ? "" : line.substr(0, eq);
}

int TStrings::IndexOfName(const std::string& name) const {
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        std::string line = Get(i);
        size_t eq = line.find('=');
        if (eq != std::string::npos && CompareText(std::string_view(line).substr(0, eq), name) == 0)
            return i;
    }
    return -1;
}

std::string TStrings::Values(const std::string& name) const {
    int index = IndexOfName(name);
    if (index < 0)
        return "";
    std::string line = Get(index);
    return line.substr(line.find('=') + 1);
}

void TStrings::SetValues(const std::string& name, const std::string& value) {
    int index = IndexOfName(name);
    if (!value.empty()) {
        if (index < 0)
            Add(name + "=" + value);
        else
            Put(index, name + "=" + value);
    } else if (index >= 0) {
        Delete(index);
    }
}

std::string TStrings::Text() const {
    std::string out;
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        out += Get(i);
        out += "\r\n";
    }
    return out;
}

void TStrings::SetText(std::string_view text) {
    BeginUpdate();
    Clear();
    text = UpToNul(text);
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        size_t start = i;
        while (i < n && text[i] != '\r' && text[i] != '\n')
            ++i;
        Add(std::string(text.substr(start, i - start)));
        if (i < n && text[i] == '\r')
            ++i;
        if (i < n && text[i] == '\n')
            ++i;
    }
    EndUpdate();
}

std::string TStrings::CommaText() const {
    std::string out;
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += ',';
        std::string item = Get(i);
        bool quote = item.empty();
        for (char c : item)
            if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"')
                quote = true;
        if (!quote) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

void TStrings::SetCommaText(std::string_view text) {
    BeginUpdate();
    Clear();
    text = UpToNul(text);
    size_t i = 0;
    const size_t n = text.size();
    auto blank = [&](size_t k) { return k < n && static_cast<unsigned char>(text[k]) <= ' '; };
    while (blank(i))
        ++i;
    while (i < n) {
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            size_t start = i;
            while (i < n && !blank(i) && text[i] != ',')
                ++i;
            item = std::string(text.substr(start, i - start));
        }
        Add(item);
        while (blank(i))
            ++i;
        if (i < n && text[i] == ',') {
            do
                ++i;
            while (blank(i));
        }
    }
    EndUpdate();
}

void TStrings::LoadFromStream(TStream& stream) {
    int64_t size = stream.Size() - stream.Position();
    std::string bytes(static_cast<size_t>(std::max<int64_t>(0, size)), '\0');
    if (!bytes.empty())
        stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    SetText(DecodeText(bytes));
}

void TStrings::SaveToStream(TStream& stream) const {
    std::string text = Text();
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void TStrings::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TStrings::SaveToFile(const std::string& fileName) const {
    TMemoryStream memory;
    SaveToStream(memory);
    memory.SaveToFile(fileName);
}

// ---- TStringList

void TStringList::Changed() {
    static std::atomic<uint64_t> stamps{0};
    stamp_ = ++stamps;
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        IndexError(index);
}

const std::string& TStringList::At(int index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].text;
}

std::string TStringList::Get(int index) const { return At(index); }

void TStringList::Put(int index, const std::string& text) {
    if (sorted_)
        throw EListError("Operation not allowed on sorted string list");
    CheckIndex(index);
    items_[static_cast<size_t>(index)].text = text;
    Changed();
}

void* TStringList::GetObject(int index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::PutObject(int index, void* object) {
    CheckIndex(index);
    items_[static_cast<size_t>(index)].object = object;
}

void TStringList::InsertItem(int index, const std::string& text, void* object) {
    items_.insert(items_.begin() + index, Item{text, object});
    Changed();
}

int TStringList::Add(const std::string& text) {
    int index = Count();
    if (sorted_) {
        if (Find(text, index)) {
            if (duplicates_ == dupIgnore)
                return index;
            if (duplicates_ == dupError)
                throw EListError("String list does not allow duplicates");
            // dupAccept: after the equal texts already there, so they keep their order.
            while (index < Count() && CompareText(items_[static_cast<size_t>(index)].text, text) == 0)
                ++index;
        }
    }
    InsertItem(index, text, nullptr);
    return index;
}

void TStringList::Insert(int index, const std::string& text) {
    if (sorted_)
        throw EListError("Operation not allowed on sorted string list");
    if (index < 0 || index > Count())
        IndexError(index);
    InsertItem(index, text, nullptr);
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear() {
    items_.clear();
    Changed();
}

void TStringList::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
    Changed();
}

int TStringList::IndexOf(const std::string& text) const {
    if (!sorted_)
        return TStrings::IndexOf(text);
    int index = 0;
    return Find(text, index) ? index : -1;
}

bool TStringList::Find(const std::string& text, int& index) const {
    // Lower bound: the first text not below `text`, so equal texts are found at
    // their first position.
    int low = 0, high = Count();
    while (low < high) {
        int mid = low + (high - low) / 2;
        if (CompareText(items_[static_cast<size_t>(mid)].text, text) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    index = low;
    return low < Count() && CompareText(items_[static_cast<size_t>(low)].text, text) == 0;
}

void TStringList::Sort() {
    std::stable_sort(items_.begin(), items_.end(),
                     [](const Item& a, const Item& b) { return CompareText(a.text, b.text) < 0; });
    Changed();
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare) {
    // Sort a permutation, so the comparison sees the list as it stands.
    std::vector<int> order(items_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order)
        sorted.push_back(std::move(items_[static_cast<size_t>(i)]));
    items_ = std::move(sorted);
    Changed();
}

void TStringList::SetSorted(bool sorted) {
    if (sorted && !sorted_)
        Sort();
    sorted_ = sorted;
}

int TStringList::Capacity() const { return std::max(capacity_, Count()); }

void TStringList::SetCapacity(int capacity) {
    if (capacity < Count())
        CapacityError(capacity);
    capacity_ = capacity;
    items_.reserve(static_cast<size_t>(std::min(capacity, kMaxReserve)));
}

// ---- TList

void TList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void* TList::Items(int index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item) {
    CheckIndex(index);
    items_[static_cast<size_t>(index)] = item;
}

int TList::Add(void* item) {
    items_.push_back(item);
    return Count() - 1;
}

void TList::Insert(int index, void* item) {
    if (index < 0 || index > Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    items_.insert(items_.begin() + index, item);
}

void TList::Delete(int index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
}

void TList::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

int TList::IndexOf(const void* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int TList::Remove(const void* item) {
    int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

void TList::Clear() {
    items_.clear();
    capacity_ = 0;
}

void TList::Sort(const CompareFunction& compare) {
    std::stable_sort(items_.begin(), items_.end(), [&](void* a, void* b) { return compare(a, b) < 0; });
}

int TList::Capacity() const { return std::max(capacity_, Count()); }

void TList::SetCapacity(int capacity) {
    if (capacity < Count())
        CapacityError(capacity);
    capacity_ = capacity;
    items_.reserve(static_cast<size_t>(std::min(capacity, kMaxReserve)));
}

}  // namespace lumvor
