#include "state/ExplorerSettings.h"

#include "state/ExplorerState.h"

#include <algorithm>
#include <cstdlib>

namespace lumvor::xplr8900 {

namespace {

constexpr std::size_t FontNameCapacity = 32;
constexpr int MinTreeWidth = 96;
constexpr int MinWindowSide = 64;

QRect ReadRect(const TByteRecord<140>& r, std::size_t at) {
    const int left = r.Int(at), top = r.Int(at + 4);
    return QRect(QPoint(left, top), QSize(r.Int(at + 8) - left, r.Int(at + 12) - top));
}

void WriteRect(TByteRecord<140>& r, std::size_t at, const QRect& frame) {
    r.SetInt(at, frame.left());
    r.SetInt(at + 4, frame.top());
    r.SetInt(at + 8, frame.left() + frame.width());
    r.SetInt(at + 12, frame.top() + frame.height());
}

}  // namespace

QRect TExplorerControls::Bounds() const { return ReadRect(r_, ec::ExplorerBounds); }
void TExplorerControls::SetBounds(const QRect& Frame) {
    WriteRect(r_, ec::ExplorerBounds,
              QRect(QPoint(std::max(0, Frame.left()), std::max(0, Frame.top())), Frame.size()));
}
int TExplorerControls::ZipLeft() const { return r_.Int(ec::ZipBounds); }
QRect TExplorerControls::ZipBounds() const {
    const int left = r_.Int(ec::ZipBounds), top = r_.Int(ec::ZipBounds + 4);
    const int right = r_.Int(ec::ZipBounds + 8), bottom = r_.Int(ec::ZipBounds + 12);
    return QRect(left, top, std::abs(right - left), std::abs(top - bottom));
}
void TExplorerControls::SetZipBounds(const QRect& Frame) { WriteRect(r_, ec::ZipBounds, Frame); }

bool TExplorerControls::ToolBar() const { return r_.Flag(ec::ToolBar); }
void TExplorerControls::SetToolBar(bool On) { r_.SetFlag(ec::ToolBar, On); }
bool TExplorerControls::StatusBar() const { return r_.Flag(ec::StatusBar); }
void TExplorerControls::SetStatusBar(bool On) { r_.SetFlag(ec::StatusBar, On); }
bool TExplorerControls::ButtonText() const { return r_.Flag(ec::ButtonText); }
void TExplorerControls::SetButtonText(bool On) { r_.SetFlag(ec::ButtonText, On); }
bool TExplorerControls::ThumbJpegDecode() const { return r_.Flag(ec::ThumbJpegDecode); }
bool TExplorerControls::AutoRefresh() const { return r_.Flag(ec::AutoRefresh); }
bool TExplorerControls::FolderTree() const { return r_.Flag(ec::FolderTree); }
void TExplorerControls::SetFolderTree(bool On) { r_.SetFlag(ec::FolderTree, On); }
int32_t TExplorerControls::TreeWidth() const { return r_.Int(ec::TreeWidth); }
void TExplorerControls::SetTreeWidth(int32_t Width) { r_.SetInt(ec::TreeWidth, Width); }
int32_t TExplorerControls::ListView() const { return r_.Int(ec::ListView); }
void TExplorerControls::SetListView(int32_t View) { r_.SetInt(ec::ListView, View); }
int32_t TExplorerControls::ThumbSize() const { return r_.Int(ec::ThumbSize); }
void TExplorerControls::SetThumbSize(int32_t Step) { r_.SetInt(ec::ThumbSize, Step); }
bool TExplorerControls::ViewerPlaysMedia() const { return r_.Int(ec::ViewerPlaysMedia) != 0; }
int32_t TExplorerControls::AlbumCopy() const { return r_.Int(ec::AlbumCopy); }
int32_t TExplorerControls::ClickMode() const { return r_.Int(ec::ClickMode); }
void TExplorerControls::SetClickMode(int32_t Mode) { r_.SetInt(ec::ClickMode, Mode); }
bool TExplorerControls::ConfirmDeletions() const { return r_.Flag(ec::ConfirmDeletions); }
bool TExplorerControls::NetworkSupport() const { return r_.Flag(ec::NetworkSupport); }
void TExplorerControls::SetNetworkSupport(bool On) { r_.SetFlag(ec::NetworkSupport, On); }
bool TExplorerControls::ListToolTips() const { return r_.Flag(ec::ListToolTips); }
int32_t TExplorerControls::ListFontValue() const { return r_.Int(ec::ListFontSize); }
void TExplorerControls::SetListFont(int PointSize, bool Bold) {
    r_.SetInt(ec::ListFontSize, (PointSize & 63) + (Bold ? 64 : 0));
}

std::string TExplorerControls::ListFontName() const {
    const std::size_t length = std::min<std::size_t>(r_.Byte(ec::ListFontName), FontNameCapacity);
    std::string name;
    for (std::size_t i = 0; i < length; ++i)
        name += char(r_.Byte(ec::ListFontName + 1 + i));
    return name;
}

void TExplorerControls::SetListFontName(const std::string& Name) {
    const std::size_t length = std::min(Name.size(), FontNameCapacity);
    r_.SetByte(ec::ListFontName, uint8_t(length));
    for (std::size_t i = 0; i < FontNameCapacity; ++i)
        r_.SetByte(ec::ListFontName + 1 + i, i < length ? uint8_t(Name[i]) : 0);
}

void SetExplorerDefaults(int ScreenWidth, int ListFontSize) {
    EControls = TByteRecord<140>{};
    TExplorerControls c(EControls);
    EControls.SetInt(ec::ZipBounds, -1);
    c.SetToolBar(true);
    c.SetStatusBar(true);
    c.SetButtonText(ScreenWidth != 800);
    for (std::size_t flag : {ec::ThumbJpegDecode, ec::AutoRefresh, ec::ConfirmDeletions, ec::ListToolTips})
        EControls.SetFlag(flag, true);
    c.SetFolderTree(false);
    c.SetTreeWidth(MinTreeWidth);
    c.SetListView(3);
    c.SetThumbSize(8);
    c.SetClickMode(1);
    c.SetNetworkSupport(false);
    c.SetListFont(std::clamp(ListFontSize, 1, 24), false);
    c.SetListFontName(DefaultListFontName);
}

void InitAlbumSettings(const TByteRecord<140>& Explorer, TByteRecord<140>& Album) {
    Album = Explorer;
    Album.SetFlag(ec::ToolBar, true);
    Album.SetFlag(ec::StatusBar, true);
    Album.SetByte(ec::ButtonText, Explorer.Byte(ec::ButtonText));
    Album.SetInt(ec::ViewerPlaysMedia, 1);
    Album.SetInt(ec::ClickMode, 0);
    Album.SetInt(ec::AlbumCopy, Explorer.Int(ec::AlbumCopy));
}

void RepairExplorerSettings(TByteRecord<140>& Record, int ListFontSize) {
    TExplorerControls c(Record);
    if (c.TreeWidth() < MinTreeWidth)
        c.SetTreeWidth(MinTreeWidth);
    c.SetThumbSize(std::clamp(c.ThumbSize(), 1, 8));
    const int32_t font = c.ListFontValue();
    if (font < 0 || font > 127 || (font & 63) > 24)
        c.SetListFont(std::clamp(ListFontSize, 1, 24), false);
    if (c.ListFontName().empty())
        c.SetListFontName(DefaultListFontName);
}

QRect FirstStartPlacement(QSize Screen) {
    const QSize size(Screen.width() / 4 * 3, Screen.height() / 4 * 3);
    return QRect(QPoint((Screen.width() - size.width()) / 2, (Screen.height() - size.height()) / 2), size);
}

QRect ExplorerPlacement(const QRect& Saved, QSize Screen) {
    const QRect raised(QPoint(std::max(0, Saved.left()), std::max(0, Saved.top())), Saved.size());
    const bool bigEnough = raised.width() >= MinWindowSide && raised.height() >= MinWindowSide;
    const bool onScreen = raised.left() + raised.width() <= Screen.width() &&
                          raised.top() + raised.height() <= Screen.height();
    return bigEnough && onScreen ? raised : FirstStartPlacement(Screen);
}

}  // namespace lumvor::xplr8900
