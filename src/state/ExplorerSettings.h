// The explorer's settings record "EControls8900": named accessors at the
// record's offsets, the values of a first start, the repairs applied at start
// and the window placement the saved bounds give.
//
// No widget here: the window (xplr8900.cpp) reads and writes its controls
// through these.
#pragma once

#include "platform/ByteRecord.h"

#include <QRect>
#include <QSize>

#include <cstdint>
#include <string>

namespace lumvor::xplr8900 {

// The list font's stored name when none is stored; the list takes the
// system's UI font when no font of that name exists.
inline constexpr const char* DefaultListFontName = "MS Sans Serif";

// A view on a 140-byte settings record (EControls or a copy of it).
class TExplorerControls {
public:
    explicit TExplorerControls(TByteRecord<140>& Record) : r_(Record) {}

    // Explorer window bounds: left, top, right, bottom.
    QRect Bounds() const;
    void SetBounds(const QRect& Frame);
    // The zip window's bounds (left -1: no position); the size is taken as
    // the distance between the stored edges, whichever way round they are.
    int ZipLeft() const;
    QRect ZipBounds() const;
    void SetZipBounds(const QRect& Frame);

    bool ToolBar() const;
    void SetToolBar(bool On);
    bool StatusBar() const;
    void SetStatusBar(bool On);
    bool ButtonText() const;
    void SetButtonText(bool On);
    bool ThumbJpegDecode() const;
    bool AutoRefresh() const;
    bool FolderTree() const;
    void SetFolderTree(bool On);
    int32_t TreeWidth() const;
    void SetTreeWidth(int32_t Width);
    // 2 details, 3 large icons, 4 thumbnails, anything else list.
    int32_t ListView() const;
    void SetListView(int32_t View);
    int32_t ThumbSize() const;
    void SetThumbSize(int32_t Step);
    bool ViewerPlaysMedia() const;
    int32_t AlbumCopy() const;
    // 0 double click, 1 single click with hot underline, 2+ cold underline.
    int32_t ClickMode() const;
    void SetClickMode(int32_t Mode);
    bool ConfirmDeletions() const;
    bool NetworkSupport() const;
    void SetNetworkSupport(bool On);
    bool ListToolTips() const;
    // The list font: size in points (low 6 bits) and bold (+64).
    int32_t ListFontValue() const;
    int ListFontSize() const { return ListFontValue() & 63; }
    bool ListFontBold() const { return (ListFontValue() & 64) != 0; }
    void SetListFont(int PointSize, bool Bold);
    // Up to 32 characters after a length byte; "" when none is stored.
    std::string ListFontName() const;
    void SetListFontName(const std::string& Name);

private:
    TByteRecord<140>& r_;
};

// Fills EControls with the values of a first start (no stored record): the
// button captions are off on an 800-pixel-wide screen; the font takes the
// list's size.
void SetExplorerDefaults(int ScreenWidth, int ListFontSize);
// The album's settings record as a first start leaves it: the explorer's
// first bytes with the bars as the explorer has them, media played by the
// viewer (dword 52 = 1), the click mode 0 and dword 56 copied.
void InitAlbumSettings(const TByteRecord<140>& Explorer, TByteRecord<140>& Album);
// The repairs applied to a stored record: tree width at least 96, thumbnail
// step 1..8, an implausible font size replaced by the list's, an empty font
// name replaced by the default one.
void RepairExplorerSettings(TByteRecord<140>& Record, int ListFontSize);

// Where the explorer window goes for saved bounds on a screen: left and top
// raised to 0; bounds of at least 64 x 64 that lie on the screen are kept,
// otherwise (and with no bounds) three quarters of the screen, centred.
QRect ExplorerPlacement(const QRect& Saved, QSize Screen);
QRect FirstStartPlacement(QSize Screen);

}  // namespace lumvor::xplr8900
