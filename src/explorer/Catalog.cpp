// The image catalog's names, page ownership, table of contents and frameset.
#include "explorer/Catalog.h"

#include "explorer/WebPages.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/SysUtils.h"

#include <QUrl>

#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace lumvor::catalog {

namespace {

// Larger files are no page of the program's (a page of 9999 thumbnails stays
// far below it).
constexpr off_t LargestOwnPage = 64 << 20;

bool Present(const std::string& File) {
    struct stat st {};
    return ::lstat(File.c_str(), &st) == 0;
}

std::string HexColor(TColor Color) {
    std::string text;
    ColorToHexRGB(Color, text);
    return text;
}

std::string CountText(int Count) { return " . [" + std::to_string(Count) + "]"; }

}  // namespace

std::string IndexSeriesPage(int N) { return "_idx_" + std::to_string(N) + ".htm"; }

std::string FolderPageBase(const std::string& Folder) {
    std::string base = ExcludeTrailingPathDelimiter(Folder);
    while (!base.empty() && base.front() == '/') base.erase(0, 1);
    if (base.empty()) return "root";
    for (char& c : base)
        if (c == ' ' || c == '.' || c == '#' || c == ':' || c == '\\' || c == '/') c = '_';
    return base;
}

std::string ProposedPageName(const std::string& Folder) {
    std::string name = xplr8900::WebFolderName(Folder);
    for (char& c : name)
        if (c == '.' || c == '#' || c == ' ') c = '_';
    return name;
}

bool IsCatalogBase(const std::string& Base) { return Base == "_home" || Base == "_frames" || Base == "_idx"; }

std::string FolderPageName(const std::string& OutputDir, const std::string& Folder) {
    const std::string base = FolderPageBase(Folder);
    const std::string dir = IncludeTrailingPathDelimiter(OutputDir);
    std::string name = base + ".htm";
    if (!IsCatalogBase(base) && !Present(dir + name)) return name;
    for (int n = 1;; ++n) {
        name = base + "_" + std::to_string(n) + ".htm";
        if (!Present(dir + name)) return name;
    }
}

TPageOwner PageOwner(const std::string& File) {
    struct stat st {};
    if (::lstat(File.c_str(), &st) != 0) return TPageOwner::Missing;
    if (!S_ISREG(st.st_mode) || st.st_size > LargestOwnPage) return TPageOwner::Foreign;
    std::ifstream in(File, std::ios::binary);
    if (!in) return TPageOwner::Foreign;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string name = ExtractFileName(File);
    if (name == IndexPage && (text.empty() || text.rfind("BM", 0) == 0)) return TPageOwner::Own;
    if (name == FramesPage)
        return text.find(std::string("<TITLE>") + FramesTitle + "</TITLE>") != std::string::npos ? TPageOwner::Own
                                                                                                : TPageOwner::Foreign;
    const bool footer = text.find("Generated with") != std::string::npos &&
                        text.find("Lumvor 8.9") != std::string::npos;
    return footer ? TPageOwner::Own : TPageOwner::Foreign;
}

std::vector<std::string> IndexSeries(const std::string& Folder) {
    const std::string dir = IncludeTrailingPathDelimiter(Folder);
    std::vector<std::string> files;
    if (Present(dir + IndexPage)) files.push_back(dir + IndexPage);
    for (int n = 2; Present(dir + IndexSeriesPage(n)); ++n) files.push_back(dir + IndexSeriesPage(n));
    return files;
}

bool HasForeignIndex(const std::string& Folder) {
    for (const std::string& file : IndexSeries(Folder))
        if (PageOwner(file) == TPageOwner::Foreign) return true;
    return false;
}

void DeleteOwnFiles(const std::vector<std::string>& Files) {
    for (const std::string& file : Files)
        if (PageOwner(file) == TPageOwner::Own) DeleteFileNow(file);
}

std::string RelativeFolderLink(const std::string& Root, const std::string& Folder) {
    const std::string root = IncludeTrailingPathDelimiter(Root);
    std::string rest = IncludeTrailingPathDelimiter(Folder);
    rest = rest.rfind(root, 0) == 0 ? rest.substr(root.size()) : rest;
    std::string link;
    size_t start = 0;
    for (size_t slash = rest.find('/'); slash != std::string::npos; slash = rest.find('/', start)) {
        if (slash > start) link += webpage::EncodeUrlSegment(rest.substr(start, slash - start)) + "/";
        start = slash + 1;
    }
    return link;
}

std::string FileUrl(const std::string& Path) {
    return QUrl::fromLocalFile(QString::fromStdString(Path)).toString(QUrl::FullyEncoded).toStdString();
}

TTableOfContents::TTableOfContents(const THTMLSet& Options, bool Frames) {
    Line("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">");
    Line("<TITLE>Table of Contents</TITLE>");
    Line("<HTML><BODY TEXT=\"#" + HexColor(Options.TextColor()) + "\" BGCOLOR=\"#" + HexColor(Options.PageColor()) +
         "\">");
    Line("<FONT SIZE=\"-1\">");
    if (Frames) Line("<BASE target=framePics>");
    Line("<b>Table of Contents</b><p>");
}

void TTableOfContents::ParentLine(const std::string& Page, int Count) {
    if (Page.empty())
        Line("Parent" + CountText(Count) + "<br>");
    else
        Line("<a href=\"" + webpage::HtmlEscape(Page) + "\">Parent</a>" + CountText(Count) + "<br>");
}

void TTableOfContents::FolderLine(int Depth, const std::string& Link, const std::string& Name, int Count) {
    std::string indent;
    if (Depth >= 2)
        for (int i = 0; i < Depth; ++i) indent += " . ";
    Line(indent + "| <a href=\"" + webpage::HtmlEscape(Link) + "\">" + webpage::HtmlEscape(Name) + "</a>" +
         CountText(Count) + "<br>");
}

void TTableOfContents::Footer(const std::string& MakerAddress) {
    Line("<p>[ ] = files<FONT SIZE=\"1\"><center><hr>Generated with <b><a href=\"" +
         webpage::HtmlEscape("http://" + MakerAddress) + "\">Lumvor 8.9</a></b>.</BODY></HTML>");
}

void TTableOfContents::Line(const std::string& Text) {
    text_ += Text;
    text_ += "\r\n";
}

std::string FramesetText(const std::string& RightPage) {
    return std::string("<TITLE>") + FramesTitle + "</TITLE><HTML><FRAMESET cols=\"20%,80%\">" +
           "<FRAME src=\"" + HomePage + "\" name=home marginwidth=0 marginheight=0 scrolling=auto frameborder=1>" +
           "<FRAME src=\"" + webpage::HtmlEscape(RightPage) +
           "\" name=framePics marginwidth=0 marginheight=0 scrolling=auto frameborder=1>" + "</FRAMESET></HTML>";
}

}  // namespace lumvor::catalog
