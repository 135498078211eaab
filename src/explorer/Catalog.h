// The pieces of an image catalog that need no window: the names of the
// catalog's own files and of a fixed catalog's folder pages, the test that
// tells the catalog's own pages from a user's files of the same name, the
// table of contents "_home.htm" and the frameset "_frames.htm".
//
// A fixed catalog writes every folder's pages into one output folder, named
// after the whole folder path; an offline catalog writes "_idx.htm" (and
// "_idx_2.htm" ...) into every folder it catalogs. Offline catalogs write into
// the user's own folders, so a page is deleted or replaced only when it is the
// program's own.
//
// Texts are UTF-8 with CR LF line ends; every folder name in the table of
// contents is HTML-escaped and every link percent-encoded per path segment.
#pragma once

#include "explorer/WebOptions.h"

#include <string>
#include <vector>

namespace lumvor::catalog {

// The catalog's own files.
inline constexpr const char* HomePage = "_home.htm";
inline constexpr const char* FramesPage = "_frames.htm";
inline constexpr const char* IndexPage = "_idx.htm";
// The title of the frameset, which has no footer.
inline constexpr const char* FramesTitle = "Lumvor HTML Image Catalogs";
// The folder of the catalog's thumbnails, never catalogued itself.
inline constexpr const char* ThumbsFolder = "thumbs";

// Page N (from 2) of an offline folder's series: "_idx_" + N + ".htm".
std::string IndexSeriesPage(int N);

// The base name of a fixed catalog's page for a folder: the folder's path
// without its leading and trailing "/", with blanks, ".", "#", ":", "\" and
// "/" made "_" ("/home/ann/Trips/" gives "home_ann_Trips"); the root "/" gives
// "root".
std::string FolderPageBase(const std::string& Folder);
// The file name a save dialog proposes for a folder's page: the folder's
// last name ("Untitled" for a volume's root) with ".", "#" and blanks made "_".
std::string ProposedPageName(const std::string& Folder);
// The base is one of the catalog's own names ("_home", "_frames", "_idx").
bool IsCatalogBase(const std::string& Base);
// The file name (no folder) of the folder's first page in OutputDir: base +
// ".htm", or base + "_" + n + ".htm" with the smallest n from 1 whose file
// does not exist, when that file exists or the base is a catalog name.
std::string FolderPageName(const std::string& OutputDir, const std::string& Folder);

// Whose a file of the catalog's names is.
enum class TPageOwner { Missing, Own, Foreign };
// The owner of File, judged by its name: "_frames.htm" is the program's when
// it carries the frameset's title; other pages when they carry the generator's
// footer ("Generated with" and "Lumvor 8.9"); an "_idx.htm" that is empty or
// holds a picture ("BM" first) is what older versions' write test left, and
// counts as the program's. Anything but a regular file (a link, a folder) is
// foreign.
TPageOwner PageOwner(const std::string& File);

// The "_idx.htm" series of a folder ("_idx.htm", then "_idx_2.htm" ... while
// they exist), full paths.
std::vector<std::string> IndexSeries(const std::string& Folder);
// One of the folder's index series is not the program's.
bool HasForeignIndex(const std::string& Folder);
// Deletes the files that are the program's own; foreign ones stay.
void DeleteOwnFiles(const std::vector<std::string>& Files);

// The link of a folder below Root, relative to Root, each segment
// percent-encoded, with a trailing "/" ("a b/c" gives "a%20b/c/").
std::string RelativeFolderLink(const std::string& Root, const std::string& Folder);
// A file URL of a local path, percent-encoded.
std::string FileUrl(const std::string& Path);

// The table of contents. Lines go in as the walk meets the folders.
class TTableOfContents {
public:
    // With Frames the links open in the frameset's picture frame.
    TTableOfContents(const THTMLSet& Options, bool Frames);

    // The root's line: "Parent" linked to Page ("" for none) and its count.
    void ParentLine(const std::string& Page, int Count);
    // A folder's line at Depth below the root (1 for the root's sub-folders),
    // linked to Link, with its count: "| " after " . " once per level from
    // the second level on.
    void FolderLine(int Depth, const std::string& Link, const std::string& Name, int Count);
    // The closing line with the maker's web address.
    void Footer(const std::string& MakerAddress);

    const std::string& Text() const { return text_; }

private:
    void Line(const std::string& Text);

    std::string text_;
};

// The frameset: the table of contents on the left, RightPage on the right.
std::string FramesetText(const std::string& RightPage);

}  // namespace lumvor::catalog
