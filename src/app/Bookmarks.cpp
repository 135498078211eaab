#include "app/Bookmarks.h"

#include "platform/SysUtils.h"

#include <QCollator>
#include <QString>

#include <algorithm>
#include <vector>

namespace lumvor {

bool InsertBookmark(TStringList& List, int32_t& Index, const std::string& Name) {
    if (List.Count() == 0) {
        List.Add(Name);
        Index = 0;
        return true;
    }
    if (Index < 0 || Index >= List.Count())
        Index = 0;
    if (List.At(Index) == Name)
        return false;
    if (Index > 0)
        ++Index;
    List.Insert(Index, Name);
    return true;
}

bool MoveBookmark(TStringList& List, int32_t& Index, bool Down) {
    const int count = List.Count();
    if (count < 2 || Index < 0 || Index >= count)
        return false;
    const int32_t target = StepBookmark(Index, count, Down ? +1 : -1);
    List.Exchange(Index, target);
    Index = target;
    return true;
}

int32_t StepBookmark(int32_t Index, int Count, int Delta) {
    if (Count < 2)
        return Index;
    int32_t next = Index + Delta;
    if (next >= Count)
        next = 0;
    if (next < 0)
        next = Count - 1;
    return next;
}

bool RemoveCurrentBookmark(TStringList& List, int32_t& Index) {
    if (List.Count() == 0 || Index < 0 || Index >= List.Count()) {
        Index = 0;
        return false;
    }
    List.Delete(Index);
    const int left = List.Count();
    if (left < 2)
        Index = 0;
    else if (Index > 2 && Index >= left)
        Index = left - 1;
    if (left == 0 || Index >= left) {
        Index = 0;
        return false;
    }
    return true;
}

void SortBookmarks(TStringList& List, bool Reverse, const std::function<bool(const std::string&)>& Exists) {
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(List.Count()));
    for (int i = 0; i < List.Count(); ++i)
        names.push_back(List.At(i));
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QString, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names)
        keyed.emplace_back(QString::fromStdString(name), std::move(name));
    // Names equal to the collator (case aside) are ordered by their bytes, so
    // the order does not depend on the order they were bookmarked in.
    std::sort(keyed.begin(), keyed.end(), [&collator](const auto& a, const auto& b) {
        const int order = collator.compare(a.first, b.first);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    keyed.erase(std::unique(keyed.begin(), keyed.end(),
                            [](const auto& a, const auto& b) { return a.second == b.second; }),
                keyed.end());
    if (Reverse && keyed.size() > 1)
        std::reverse(keyed.begin(), keyed.end());
    List.Clear();
    for (auto& entry : keyed)
        List.Add(entry.second);
    for (int i = List.Count() - 1; i >= 0; --i)
        if (!Exists(List.At(i)))
            List.Delete(i);
}

std::string BookmarkCountText(int Count, int32_t Index) {
    if (Count == 0)
        return "..";
    if (Count == 1)
        return "1 bookmark";
    return std::to_string(Index + 1) + " of " + std::to_string(Count);
}

namespace {

// The last n bytes of text, moved forward to the start of a character.
std::string LastChars(const std::string& text, int n) {
    size_t start = text.size() - static_cast<size_t>(n);
    while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        ++start;
    return text.substr(start);
}

}  // namespace

std::string MenuFileNameCaption(const TMenuFileNameInput& In) {
    const int charWidth = std::max(In.CharWidth, 1);
    const int n = (In.ScreenWidth - In.MenuWidth) / charWidth - 26;
    std::string text;
    if (In.Untitled) {
        text = "Untitled " + std::to_string(In.ImageWidth) + "x" + std::to_string(In.ImageHeight);
    } else if (n < 12) {
        text = "...";
    } else {
        text = In.PathText;
        if (static_cast<int>(text.size()) > n)
            text = ExtractFileName(text);
        if (static_cast<int>(text.size()) > n)
            text = LastChars(text, n);
        text += " " + In.SizeText;
    }
    if (In.Count >= 2)
        text = std::to_string(In.Index + 1) + " of " + std::to_string(In.Count) + " ..." + LowerCase(text);
    if (In.Fit)
        text += " Fit";
    return text;
}

void LoadBookmarkFile(const std::string& File, TStringList& List) {
    TStringList loaded;
    loaded.SetCapacity(BookmarkFileCapacity);
    loaded.BeginUpdate();
    loaded.LoadFromFile(File);
    loaded.EndUpdate();
    List.Clear();
    List.SetCapacity(BookmarkFileCapacity);
    List.AddStrings(loaded);
}

}  // namespace lumvor
