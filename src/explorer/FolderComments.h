// Folder comments on disk and their lookup: one line of comment per file,
// kept in two text files inside the folder, "FILELIST.VOX" with the file names
// and "FILETEXT.VOX" with the comments, line i of one beside line i of the
// other, every line ending with CR LF.
//
// Reading: each file is UTF-8, or Windows-1252 when it is not valid UTF-8
// (files written on Windows media). A name line without its comment line
// reads as an empty comment; comment lines beyond the last name belong to no
// file and are dropped. A file too large to be a comment list, or holding a
// NUL byte, is not read: the pair then counts as unreadable, and nothing may
// write over it.
//
// Writing: the pair goes back in the encoding it was read in, so that older
// tools reading the same media keep reading it: a pair of which
// either file was Windows-1252 is written as Windows-1252 while every
// character of both lists has a Windows-1252 byte, and as UTF-8 once one has
// not; a UTF-8 pair (pure ASCII included) and a new pair are UTF-8. Both
// files are written to scratch names in the folder and renamed into place
// only after both writes succeeded.
//
// Lookup: a line belongs to the file of exactly its name (the first such line
// when there are several). A line whose name matches no file of the folder
// exactly is taken by one file whose name matches it ignoring case: the first
// of those files in byte order of their names. So comments written where case
// did not count keep working, and "a.jpg" and "A.jpg" never share a line.
#pragma once

#include "platform/Classes.h"
#include "state/ExplorerState.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lumvor {

inline constexpr const char* CommentNamesFile = "FILELIST.VOX";
inline constexpr const char* CommentTextsFile = "FILETEXT.VOX";
// Larger files are not comment lists (10,000 comments take well under 1 MB).
inline constexpr int64_t MaxCommentFileSize = 32 * 1024 * 1024;

enum class TCommentRead {
    Missing,     // no names file: no comments
    Read,        // the lists hold the pair
    Unreadable,  // the pair exists but could not be read: lists empty, not to be written over
};

// The path of one of the pair's files in Folder (with its trailing "/"): the
// file of exactly that name when it exists, else the first entry in byte
// order whose name equals it ignoring case, else the exact name.
std::string CommentFilePath(const std::string& Folder, const std::string& Name);

// Reads the pair of Folder into the two lists (cleared first); they have the
// same number of lines afterwards. Encoding is what the pair was read as
// (Utf8 unless Read says otherwise).
TCommentRead ReadCommentFiles(const std::string& Folder, TStringList& Names, TStringList& Texts,
                              TCommentEncoding& Encoding);

// The encoding a pair read as ReadAs is written in, given what it now holds.
TCommentEncoding CommentWriteEncoding(TCommentEncoding ReadAs, const TStringList& Names, const TStringList& Texts);

// Writes both files of Folder whole (each line followed by CR LF), in
// CommentWriteEncoding, which it returns. Raises EFCreateError or EWriteError;
// a failure while writing leaves both old files as they were.
TCommentEncoding WriteCommentFiles(const std::string& Folder, const TStringList& Names, const TStringList& Texts,
                       TCommentEncoding ReadAs);

// The text folded for comparisons that ignore case (Unicode case folding).
std::string FoldCase(std::string_view Text);

// Which line of a names list belongs to which file of a folder (see above).
class TCommentLookup {
public:
    // Builds the table over the names and the folder's entry names.
    void Build(const TStringList& Names, const std::vector<std::string>& FileNames);
    // The line of FileName; -1 when it has none.
    int LineOf(const std::string& FileName) const;

private:
    std::unordered_map<std::string, int> exact_;
    // First line of each folded name among the lines that name no file exactly.
    std::unordered_map<std::string, int> folded_;
    // The file that takes the folded lines: the first in byte order.
    std::unordered_map<std::string, std::string> taker_;
};

}  // namespace lumvor
