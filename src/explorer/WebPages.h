// The page writer of the explorer's web pages: one page, or a series of pages,
// of linked JPEG thumbnails of chosen files, written with the thumbnails into
// a folder. Three kinds of page share it: an Internet page whose picture links
// point at the user's site, a fixed catalog whose links are file URLs of the
// pictures where they lie, and an offline catalog whose links are the bare
// names (the page lies beside the pictures).
//
// Pages are UTF-8 with CR LF line ends. Every text the writer inserts (names,
// titles, comments, size texts) and every attribute value is HTML-escaped;
// every name the writer puts into a link is percent-encoded per path segment.
// The addresses the user typed (the site folder and the home page) are kept as
// typed but for blanks and "#"; the banner line is the user's own markup and
// goes in as typed.
//
// No widget here: the writer gets the thumbnails from a callback and reports
// progress through another, so it runs the same from the explorer's commands
// and from tests.
#pragma once

#include "explorer/WebOptions.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumvor {

class TBitmap;

namespace webpage {

// "&", "<", ">", '"' and "'" as character references.
std::string HtmlEscape(std::string_view Text);
// One path segment percent-encoded from its UTF-8 bytes: letters, digits and
// "-", ".", "_", "~" are kept, every other byte becomes "%XX".
std::string EncodeUrlSegment(std::string_view Segment);
// A name holds a character older browsers stumble on: a blank, "%" or "#".
bool HasUnsafeUrlChars(std::string_view Name);

// Thumbnail columns of a page: PageWidth div max(CellWidth, 64), 1 to 10.
int ColumnCount(int PageWidth, int CellWidth);
// The start of a table cell for that many columns ("<td width=33%>").
std::string CellStart(int Columns);
// Page Number (from 1) of the series that starts with FirstPage (a full path):
// FirstPage itself, else FirstPage less its last four characters + "_" +
// Number + ".htm".
std::string SeriesPageFile(const std::string& FirstPage, int Number);
// The base of a file's web thumbnail name: the name less a lower-case ".jpg",
// every "." turned into "_" ("a.b.png" gives "a_b_png").
std::string ThumbBase(const std::string& Name);

// Resamples a 24-bit bitmap in place, nearest neighbour, from its
// SourceWidth x SourceHeight top-left part to CellWidth x CellHeight.
void ResampleWebThumb(TBitmap& Bitmap, int SourceWidth, int SourceHeight, int CellWidth, int CellHeight);

enum class TPageKind { Internet, FixedCatalog, OfflineCatalog };

// One file of a page.
struct TPageFile {
    std::string Name;      // as listed
    std::string Path;      // full path of the file
    std::string SizeText;  // "12.5 KB"
    std::string Comment;   // its folder comment, "" when none
};

// Everything a run needs.
struct TPageJob {
    THTMLSet Options;
    TPageKind Kind = TPageKind::Internet;
    bool SimplePage = false;
    bool Interactive = true;
    bool Progressive = false;
    std::string WebFolder;   // the site's folder address, empty or ending in "/"
    std::string PageHome;    // the Home link's address
    std::string PageBanner;  // a markup line of the user's
    std::string ThumbsFolder;  // sub-folder of the thumbnails; "" for none
    std::string Title;
    std::string PageFile;  // full path of the first page
    // The size of the thumbnails written, and the size of the cache pictures.
    int CellWidth = 168;
    int CellHeight = 126;
    int SourceWidth = 168;
    int SourceHeight = 126;
    // Counter of fixed catalog thumbnail names (lives for the program run),
    // and the number a clashing counter name is prefixed with.
    uint32_t* ThumbCounter = nullptr;
    int CatalogPageNumber = 0;
    std::string MakerAddress;
    std::vector<TPageFile> Files;
    // Fills the bitmap with the file's cache picture (any depth); false when
    // there is none (the cell then stays white).
    std::function<bool(const TPageFile& File, TBitmap& Picture)> LoadThumbnail;
    // Called with each file's index before it is written.
    std::function<void(int Index, int Count)> Progress;
    // The Home cell's link of a catalog walk's page ("_home.htm",
    // "../_home.htm"); "" for none.
    std::string CatalogHome;
    // Asked after each file of a contact sheet: true ends the run there.
    std::function<bool()> Cancelled;
};

// What a run wrote.
struct TPageResult {
    std::vector<std::string> Pages;   // full paths, in order
    std::vector<std::string> Thumbs;  // full paths, in file order
    // The folder the thumbnails went to, with a trailing "/".
    std::string ThumbsDir;
    // A name or link held a blank, "%" or "#": the compatibility hint is due.
    bool NeedsUrlWarning = false;
};

// The folder of a path with its trailing "/".
std::string FolderOf(const std::string& Path);

// The number of pages of a run: one for a simple page, else Count div
// PerPage plus one for a remainder, at least one.
int PageCount(int Count, int PerPage, bool SimplePage);

// Pieces every kind of page shares (the contact sheets write them too): the
// head lines up to the heading, the navigation table of a page series (an
// empty Back or Next page name gives the dot cell), the footer line, the link
// of a picture, the src of a thumbnail file, and the thumbnail folder (made
// when missing, with a trailing "/").
std::string PageHeadLines(const TPageJob& Job, const std::string& Title);
std::string SeriesNavigationLines(const TPageJob& Job, const std::string& Back, const std::string& Next);
std::string FooterLine(const TPageJob& Job);
std::string FileLink(const TPageJob& Job, const TPageFile& File);
std::string ThumbSource(const TPageJob& Job, const std::string& ThumbName);
std::string PrepareThumbsDir(const TPageJob& Job);
// A file's cell picture: its cache picture at 24 bits, resampled to the cell
// when the sizes differ, cut or grown (white) to the cell; white when the
// loader has none.
void LoadCellPicture(const TPageJob& Job, const TPageFile& File, TBitmap& Picture);

// Writes the pages and their thumbnails. Raises EFCreateError or EWriteError
// when a page or a thumbnail cannot be written (pages already written stay).
TPageResult WritePages(const TPageJob& Job);

}  // namespace webpage

}  // namespace lumvor
