// The lists the explorer builds from a walked folder tree for the slide album
// and for the bookmarks: which entries of a folder they take, the bookmark
// lines (full paths) and the album's slide records with their names.
//
// Paths are kept exactly as on disk. GUI thread or any thread: plain file
// system calls, no shared state except the album's icon cache of the record
// filler (GUI thread).
#pragma once

#include "explorer/FolderWalk.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumvor {

class TStream;
class TStrings;

// One folder of a list run as the run keeps it between the walk and the lists.
struct TListFolder {
    std::string Path;                 // with a trailing "/"
    int64_t Entries = 0;              // every entry read in it, sub-folders included
    std::vector<TWalkFile> Listable;  // its listable entries that are no folders, in name order
};

// Whether Path names a regular file (a link: its target); the lists hand over
// nothing else.
bool NamesRegularFile(const std::string& Path);

// The folder's entries a list may take: files (of any kind but folders) whose
// extension is listable, in the tree's name order. They are moved out of
// Folder's Files.
TListFolder ListFolderEntries(TWalkFolder& Folder);

// Appends the full path of every listable entry that names a file: a regular
// file of any size (an empty one too) or a link whose target is one. Pipes,
// sockets, devices and dangling links are left out. Answers how many it added.
int AppendBookmarkLines(const TListFolder& Folder, TStrings& Lines);

// The same lines appended to Text, each ended by CR LF as the list files hold them.
int AppendBookmarkText(const TListFolder& Folder, std::string& Text);

// Writes one slide record per listable file of non-zero size (a link counts
// as its target; anything but a regular file is left out) to Records, in name
// order, and appends its full path without the extension to Names. Count is
// the running slide count: each record takes it as its index, then it grows
// by one. Kind is stored in the records. Answers how many records it wrote.
int AppendSlideRecords(const TListFolder& Folder, int32_t Kind, TStream& Records, TStrings& Names, int32_t& Count);

}  // namespace lumvor
