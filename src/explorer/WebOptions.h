// The options of every web page, contact sheet and image catalog the explorer
// writes: the 56-byte record "HTMLset9", the URL strings and the names that
// are not stored, with their defaults, reading and writing.
//
// Colours in the record are control colours (red in the low byte, TColor).
// Strings are kept exactly as the user typed them: whatever of them ends up in
// a page is escaped by the page writer, not here.
//
// No widget here; GUI thread only (the settings store is read and written
// through TRegistry, which raises ERegistryException when a write fails).
#pragma once

#include "platform/ByteRecord.h"
#include "platform/Colors.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumvor {

// A view on the 56 bytes of the web options, one accessor per field. Bytes
// no field names (44 onwards after ImageComments) keep what was stored.
class THTMLSet {
public:
    static constexpr std::size_t Size = 56;
    TByteRecord<Size> Record;

    TColor TextColor() const { return TColor{Record.Int(0)}; }
    void SetTextColor(TColor Color) { Record.SetInt(0, static_cast<int32_t>(Color)); }
    TColor PageColor() const { return TColor{Record.Int(4)}; }
    void SetPageColor(TColor Color) { Record.SetInt(4, static_cast<int32_t>(Color)); }
    TColor GridColor() const { return TColor{Record.Int(8)}; }
    void SetGridColor(TColor Color) { Record.SetInt(8, static_cast<int32_t>(Color)); }
    int32_t GridBorder() const { return Record.Int(12); }
    void SetGridBorder(int32_t Width) { Record.SetInt(12, Width); }
    int32_t ThumbBorder() const { return Record.Int(16); }
    void SetThumbBorder(int32_t Width) { Record.SetInt(16, Width); }
    int32_t PageWidth() const { return Record.Int(20); }
    void SetPageWidth(int32_t Width) { Record.SetInt(20, Width); }

    bool FileDetails() const { return Record.Flag(24); }
    void SetFileDetails(bool On) { Record.SetFlag(24, On); }
    bool CatalogPage() const { return Record.Flag(25); }
    void SetCatalogPage(bool On) { Record.SetFlag(25, On); }
    bool LaunchBrowser() const { return Record.Flag(26); }
    void SetLaunchBrowser(bool On) { Record.SetFlag(26, On); }
    bool HomeURL() const { return Record.Flag(27); }
    void SetHomeURL(bool On) { Record.SetFlag(27, On); }
    bool PageTypeNoteSeen() const { return Record.Flag(28); }
    void SetPageTypeNoteSeen(bool On) { Record.SetFlag(28, On); }
    bool NavButtons() const { return Record.Flag(29); }
    void SetNavButtons(bool On) { Record.SetFlag(29, On); }
    bool BannerURL() const { return Record.Flag(30); }
    void SetBannerURL(bool On) { Record.SetFlag(30, On); }
    bool OfflineCatalog() const { return Record.Flag(31); }
    void SetOfflineCatalog(bool On) { Record.SetFlag(31, On); }
    bool ReviewSettings() const { return Record.Flag(32); }
    void SetReviewSettings(bool On) { Record.SetFlag(32, On); }
    bool ContactSheet() const { return Record.Flag(33); }
    void SetContactSheet(bool On) { Record.SetFlag(33, On); }
    bool ImagesOnly() const { return Record.Flag(34); }
    void SetImagesOnly(bool On) { Record.SetFlag(34, On); }
    bool UseFrames() const { return Record.Flag(35); }
    void SetUseFrames(bool On) { Record.SetFlag(35, On); }

    // JPEG quality of web thumbnails and contact sheets, 1 to 100.
    int32_t ThumbQuality() const { return Record.Int(36); }
    void SetThumbQuality(int32_t Quality) { Record.SetInt(36, Quality); }
    // 4 to 9999; 999 (one page for all) is read back as 16.
    int32_t ThumbsPerPage() const { return Record.Int(40); }
    void SetThumbsPerPage(int32_t Count) { Record.SetInt(40, Count); }
    bool ImageComments() const { return Record.Flag(44); }
    void SetImageComments(bool On) { Record.SetFlag(44, On); }

    // The page type as the dialog's radio group shows it: 0 fixed catalog,
    // 1 offline catalog, 2 Internet web page.
    int PageTypeIndex() const { return OfflineCatalog() ? 1 : (CatalogPage() ? 0 : 2); }
    void SetPageTypeIndex(int Index) {
        SetCatalogPage(Index != 2);
        SetOfflineCatalog(Index == 1);
    }
    bool InternetPage() const { return !CatalogPage(); }
};

namespace xplr8900 {

// The registry values of the options, under the program key.
inline constexpr const char* WebOptionsValue = "HTMLset9";
inline constexpr const char* WebFolderValue = "WebFolder";
inline constexpr const char* WebDirValue = "WebDir";
inline constexpr const char* PageHomeValue = "PageHome";
inline constexpr const char* PageBannerValue = "PageBanner";
// The thumbnail sub-folder every catalog uses.
inline constexpr const char* DefaultThumbsFolder = "thumbs";
// The URL prefix of a first start.
inline constexpr const char* BareUrlPrefix = "http://";

// The one option set of the dialog and the page writers.
inline THTMLSet HTMLset9;
// The network URL prefix of the user's site: empty, or ending in "/".
inline std::string WebFolder;
// Target of the Home link and of the image banner link.
inline std::string PageHome;
inline std::string PageBanner;
// Name of the thumbnail sub-folder (not stored).
inline std::string WebThumbsFolder = DefaultThumbsFolder;
// Page title and header of an Internet page (not stored).
inline std::string WebPageTitle;

// Fills the record with the values of a first start, the borders of the
// given width; every byte no default names is 0.
void SetWebDefaults(THTMLSet& Options, int32_t Borders);
// Text with a "/" appended when it has none at its end; empty stays empty.
std::string WithTrailingSlash(const std::string& Text);

// Reads HTMLset9, WebFolder, PageHome, PageBanner and WebDir from the
// settings store (defaults for missing values; 999 thumbnails per page read
// back as 16). A stored record of another length fills only its leading bytes.
void ReadWebOptions(std::string& WebDir);
// Writes the four strings and the 56 bytes, creating the program key when missing.
void WriteWebOptions(const std::string& WebDir);

}  // namespace xplr8900

}  // namespace lumvor
