#include "explorer/FolderComments.h"

#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <QString>

#include <dirent.h>

#include <algorithm>
#include <unordered_set>

namespace lumvor {

namespace {

// The bytes of one comment file; false when it cannot be read as one (it
// cannot be opened or read, is too large, or holds a NUL byte).
bool ReadCommentBytes(const std::string& Path, std::string& Bytes) {
    try {
        TFileStream file(Path, fmOpenRead);
        const int64_t size = file.GetSize();
        if (size < 0 || size > MaxCommentFileSize) return false;
        Bytes.resize(static_cast<size_t>(size));
        file.ReadBuffer(Bytes.data(), size);
    } catch (const Exception&) {
        return false;
    }
    return Bytes.find('\0') == std::string::npos;
}

// Splits the bytes into lines of UTF-8 text; false when they were not UTF-8
// (they are then read as Windows-1252).
bool DecodeCommentLines(std::string_view Bytes, TStringList& Lines) {
    if (Bytes.substr(0, 3) == "\xEF\xBB\xBF") Bytes.remove_prefix(3);
    const bool utf8 = IsValidUtf8(Bytes);
    Lines.SetText(utf8 ? std::string(Bytes) : Cp1252ToUtf8(Bytes));
    return utf8;
}

bool IsAscii(std::string_view Text) {
    return std::all_of(Text.begin(), Text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The pair's texts as they go to disk: UTF-8, or Windows-1252 when asked and
// every character has its byte; false when Windows-1252 was asked and failed.
bool EncodeCommentText(const TStringList& Lines, TCommentEncoding Encoding, std::string& Bytes) {
    // A line break inside a text would shift every later line onto the wrong
    // file: it goes to disk as a blank.
    Bytes.clear();
    for (int i = 0; i < Lines.Count(); ++i) {
        std::string line = Lines.At(i);
        std::replace_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        Bytes += line;
        Bytes += "\r\n";
    }
    if (Encoding == TCommentEncoding::Utf8 || IsAscii(Bytes)) return true;
    std::string ansi;
    if (!Utf8ToCp1252(Bytes, ansi)) return false;
    Bytes = std::move(ansi);
    return true;
}

}  // namespace

std::string CommentFilePath(const std::string& Folder, const std::string& Name) {
    const std::string exact = Folder + Name;
    if (FileExists(exact)) return exact;
    std::string found;
    if (DIR* dir = ::opendir(Folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string entryName = entry->d_name;
            if (SameText(entryName, Name) && (found.empty() || entryName < found) && FileExists(Folder + entryName))
                found = entryName;
        }
        ::closedir(dir);
    }
    return found.empty() ? exact : Folder + found;
}

TCommentRead ReadCommentFiles(const std::string& Folder, TStringList& Names, TStringList& Texts,
                              TCommentEncoding& Encoding) {
    Names.Clear();
    Texts.Clear();
    Encoding = TCommentEncoding::Utf8;
    const std::string namesPath = CommentFilePath(Folder, CommentNamesFile);
    if (!FileExists(namesPath)) return TCommentRead::Missing;
    std::string namesBytes, textsBytes;
    const std::string textsPath = CommentFilePath(Folder, CommentTextsFile);
    if (!ReadCommentBytes(namesPath, namesBytes) || (FileExists(textsPath) && !ReadCommentBytes(textsPath, textsBytes)))
        return TCommentRead::Unreadable;
    const bool namesUtf8 = DecodeCommentLines(namesBytes, Names);
    const bool textsUtf8 = DecodeCommentLines(textsBytes, Texts);
    if (!namesUtf8 || !textsUtf8) Encoding = TCommentEncoding::Windows1252;
    // One comment line per name line: missing ones are empty, extra ones belong to no file.
    while (Texts.Count() < Names.Count()) Texts.Add("");
    while (Texts.Count() > Names.Count()) Texts.Delete(Texts.Count() - 1);
    return TCommentRead::Read;
}

TCommentEncoding CommentWriteEncoding(TCommentEncoding ReadAs, const TStringList& Names, const TStringList& Texts) {
    std::string ignored;
    if (ReadAs == TCommentEncoding::Windows1252 && EncodeCommentText(Names, ReadAs, ignored) &&
        EncodeCommentText(Texts, ReadAs, ignored))
        return TCommentEncoding::Windows1252;
    return TCommentEncoding::Utf8;
}

TCommentEncoding WriteCommentFiles(const std::string& Folder, const TStringList& Names, const TStringList& Texts,
                       TCommentEncoding ReadAs) {
    const TCommentEncoding encoding = CommentWriteEncoding(ReadAs, Names, Texts);
    TWholeFile names{CommentFilePath(Folder, CommentNamesFile), {}};
    TWholeFile texts{CommentFilePath(Folder, CommentTextsFile), {}};
    EncodeCommentText(Names, encoding, names.Bytes);
    EncodeCommentText(Texts, encoding, texts.Bytes);
    WriteWholeFiles({names, texts});
    return encoding;
}

std::string FoldCase(std::string_view Text) {
    if (IsAscii(Text)) return LowerCase(Text);
    return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size())).toCaseFolded().toStdString();
}

// ---- Lookup

void TCommentLookup::Build(const TStringList& Names, const std::vector<std::string>& FileNames) {
    exact_.clear();
    folded_.clear();
    taker_.clear();
    const std::unordered_set<std::string> files(FileNames.begin(), FileNames.end());
    for (const std::string& file : FileNames) {
        auto [at, added] = taker_.try_emplace(FoldCase(file), file);
        if (!added && file < at->second) at->second = file;
    }
    exact_.reserve(static_cast<size_t>(Names.Count()));
    for (int i = 0; i < Names.Count(); ++i) {
        const std::string& name = Names.At(i);
        exact_.try_emplace(name, i);
        if (!files.contains(name)) folded_.try_emplace(FoldCase(name), i);
    }
}

int TCommentLookup::LineOf(const std::string& FileName) const {
    if (const auto at = exact_.find(FileName); at != exact_.end()) return at->second;
    if (folded_.empty()) return -1;
    const std::string folded = FoldCase(FileName);
    // A name the folder's entries do not hold (it appeared since) takes its
    // folded line unless a listed entry of the same letters comes first.
    if (const auto taker = taker_.find(folded); taker != taker_.end() && taker->second != FileName) return -1;
    const auto line = folded_.find(folded);
    return line == folded_.end() ? -1 : line->second;
}

}  // namespace lumvor
