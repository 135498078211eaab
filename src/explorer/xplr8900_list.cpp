// The explorer's file list XL: its rows and columns, captions, tool tips,
// thumbnail cells, keys, clicks, renaming in place, view styles, font and the
// status bar that follows the selection.
//
// The list is owner-data: the view asks for visible rows only, each row is
// one record read from the listing, and its caption is completed once and
// written back into the record. Thumbnail cells are painted by a delegate from
// the cell cache (ListCells.h), so scrolling reads no cache file twice.
#include "explorer/xplr8900.h"

#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/ListCells.h"
#include "explorer/ThumbFiles.h"
#include "explorer/ThumbMakers.h"
#include "imaging/FileRec.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/ShellIcons.h"
#include "platform/SysUtils.h"
#include "ui/LookBoxEx.h"
#include "ui/MenuItems.h"
#include "ui/TreeViewEx.h"
#include "ui/VListShowEx.h"
#include "ui/usrdlg_w.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QFontDatabase>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>

namespace lumvor {

using namespace xplr8900;

namespace {

constexpr int ColumnName = 0, ColumnComment = 4;
// Space between a cell and its label, and around the label.
constexpr int LabelGap = 2;

// The locale's short date and time of a record's DOS stamp; "" when it holds no date.
std::string RecDateTimeText(const FileRec& Rec) {
    try {
        const TDateTime stamp = FileDateToDateTime(Rec.FileDate());
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
        DecodeDate(stamp, year, month, day);
        DecodeTime(stamp, hour, minute, second, ms);
        return QLocale().toString(QDateTime(QDate(year, month, day), QTime(hour, minute, second)),
                                  QLocale::ShortFormat).toStdString();
    } catch (...) {
        return {};
    }
}

// The record date as "mm/dd/yy"; "" when it holds no date.
std::string RecShortDate(const FileRec& Rec) {
    try {
        return FormatDateTime("mm/dd/yy", FileDateToDateTime(Rec.FileDate()));
    } catch (...) {
        return {};
    }
}

std::string TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// Paints the thumbnail view's rows: the cell from the form, the name below it.
class TThumbCellDelegate : public QStyledItemDelegate {
public:
    TThumbCellDelegate(TFileForm* form, TVListShowEx* list) : QStyledItemDelegate(list), form_(form), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return list_->CellSize(); }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        form_->XLGetImageIdx(*painter, index.row(), option.rect, selected);
        const QRect label(option.rect.left(), option.rect.top() + LabelGap + form_->ListCellHeight + LabelGap,
                          option.rect.width(), option.rect.bottom() - option.rect.top() - form_->ListCellHeight - LabelGap);
        const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle,
                                                            label.width() - 2);
        QRect bounds = option.fontMetrics.boundingRect(label, Qt::AlignHCenter | Qt::AlignTop, text);
        const QPalette::ColorGroup group = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        if (selected) {
            bounds.adjust(-1, 0, 1, 0);
            painter->fillRect(bounds, option.palette.brush(group, QPalette::Highlight));
        }
        painter->setFont(option.font);
        painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(label, Qt::AlignHCenter | Qt::AlignTop, text);
    }

private:
    TFileForm* form_;
    TVListShowEx* list_;
};

// The slider's releases: a key, or a mouse button.
class TSliderRelease : public QObject {
public:
    TSliderRelease(TFileForm* form, QObject* slider) : QObject(slider), form_(form) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease) form_->ThumbsBarKeyUp();
        if (event->type() == QEvent::MouseButtonRelease) form_->ThumbsBarMouseUp();
        return false;
    }

private:
    TFileForm* form_;
};

// The folder tree's page keys go to the file list.
class TTreePageKeys : public QObject {
public:
    TTreePageKeys(TFileForm* form, QObject* tree) : QObject(tree), form_(form) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        uint16_t code = VirtualKeyOf(key->key());
        const uint16_t before = code;
        form_->FormKeyDown(watched, code, ShiftStateOf(*key));
        return code != before;
    }

private:
    TFileForm* form_;
};

}  // namespace

// ---- Binding

void TFileForm::BindFileList() {
    ThumbImages = std::make_unique<TImageList>(ListCellWidth, ListCellHeight);
    XL->OnData = [this](QObject*, TVListItem* item) { XLData(item); };
    XL->OnToolTip = [this](QObject*, TVListItem* item, int, std::string& text, std::string&, TEnumToolTipIcon&,
                           TTooltipOptions&) { XLToolTip(item, text); };
    XL->OnChange = [this](QObject*, TVListItem*, TItemChange) { XLChange(); };
    XL->OnClick = [this](QObject* sender) { XLClick(sender); };
    XL->OnMouseDown = [this](QObject*, TMouseButton, TShiftState, int, int) { Listing->ListBusy = false; };
    XL->OnKeyDown = [this](QObject* sender, uint16_t& key, TShiftState shift) { FormKeyDown(sender, key, shift); };
    XL->OnKeyUp = [this](QObject*, uint16_t& key, TShiftState) {
        XLKeyUp(key);
        FormKeyUp(key);
    };
    XL->OnColumnClick = [this](QObject*, int column) { XLColumnClick(column); };
    XL->OnEditing = [this](QObject*, TVListItem* item, bool& allow) { XLEditing(item, allow); };
    XL->OnEdited = [this](QObject*, TVListItem* item, std::string& name) { XLEdited(item, name); };
    XL->SetReadOnly(false);
    XL->SetEnableToolTips(true);
    XL->ShowToolTips = true;
    XL->SetToolTipOptions(TipBit(ttoAdjustForScreenBoundary));

    TListingView& v = Listing->View;
    v.Thumbnailing_Stop = [this] { Thumbnailing_Stop(); };
    v.ThumbnailView = [this] { return ThumbnailView(); };
    v.RestartThumbnails = [this] { PostExplorerMessage(30); };
    v.LargeIconView = [this] { btnViewLgIconsClick(this); };

    const struct {
        const char* Caption;
        int Width;
        TAlignment Alignment;
    } columns[] = {{"Name", 240, taLeftJustify},
                   {"Size", 80, taRightJustify},
                   {"Date Modified", 150, taLeftJustify},
                   {"Type/Dimensions", 140, taLeftJustify},
                   {"Comment", 200, taLeftJustify}};
    for (const auto& c : columns) {
        TVListColumn* column = XL->Columns()->Add();
        column->SetCaption(c.Caption);
        column->SetWidth(c.Width);
        column->SetAlignment(c.Alignment);
    }
    FitDateColumn();

    WireMenuItem(this, mnuViewLgIcons, [this](QObject* s) { btnViewLgIconsClick(s); });
    WireMenuItem(this, mnuViewList, [this](QObject* s) { mnuViewListClick(s); });
    WireMenuItem(this, mnuViewReport, [this](QObject* s) { mnuViewReportClick(s); });
    WireMenuItem(this, mnuViewThumbs, [this](QObject* s) { btnViewThumbsClick(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuThumbnailSize")), [this](QObject* s) { mnuThumbnailSize(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuViewFont")), [this](QObject* s) { mnuViewFontClick(s); });
    QObject::connect(btnThumbsUp, &QToolButton::clicked, this, [this] { btnThumbsUpClick(btnThumbsUp); });
    QObject::connect(btnThumbsDn, &QToolButton::clicked, this, [this] { btnThumbsUpClick(btnThumbsDn); });
    sliderRelease_ = new TSliderRelease(this, ThumbsBar);
    ThumbsBar->installEventFilter(sliderRelease_);
    treePageKeys_ = new TTreePageKeys(this, Tree);
    Tree->installEventFilter(treePageKeys_);
}

void TFileForm::UnbindFileList() {
    XL->OnData = nullptr;
    XL->OnToolTip = nullptr;
    XL->OnChange = nullptr;
    XL->OnClick = nullptr;
    XL->OnMouseDown = nullptr;
    XL->OnKeyDown = nullptr;
    XL->OnKeyUp = nullptr;
    XL->OnColumnClick = nullptr;
    XL->OnEditing = nullptr;
    XL->OnEdited = nullptr;
    XL->OnDblClick = nullptr;
    delete sliderRelease_;
    delete treePageKeys_;
    sliderRelease_ = treePageKeys_ = nullptr;
    if (plainDelegate_ && ThumbnailView()) XL->View()->setItemDelegate(plainDelegate_);
    ListTag = 0;
}

// The date column holds a whole date and time in the list's font.
void TFileForm::FitDateColumn() {
    if (XL->Columns()->Count() <= 2) return;
    const QString sample =
        QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(23, 58, 58)), QLocale::ShortFormat);
    XL->Column(2)->SetWidth(std::max(XL->fontMetrics().horizontalAdvance(sample) + 20, 100));
}

// ---- Rows

void TFileForm::CompleteCaption(int Row, FileRec& Rec, int32_t RecNo) {
    if (!Rec.Caption().empty()) return;
    const std::string path = Listing->GetItemPath(Row);
    const std::string ext = UpperCase(ExtractFileExt(path));
    std::string caption = ext;
    if (Rec.State() == fsFolder) {
        caption = "folder";
    } else if (IsCaptionPictureExt(ext)) {
        FileRec trailer;
        TPictureHeaderInfo info;
        if (!Listing->DrivesView && ThumbFilePresent(ThumbRecFile(Rec), Rec, &trailer) && trailer.Width() >= 2 &&
            trailer.Height() >= 2) {
            Rec.SetState(fsPresent);
            Rec.SetWidth(trailer.Width());
            Rec.SetHeight(trailer.Height());
            Rec.SetBitsPerPixel(trailer.BitsPerPixel());
            caption = ext + " " + DimensionText(trailer.Width(), trailer.Height(), trailer.BitsPerPixel());
        } else if (ReadPictureInfo(path, info) > 0) {
            caption = ext + " " + DimensionText(info.Width, info.Height, info.Bits);
        }
    }
    Rec.SetCaption(caption);
    Listing->WriteRec(RecNo, Rec);
}

void TFileForm::XLData(TVListItem* Item) {
    FileRec rec;
    int32_t recNo = -1;
    if (!Item || !Listing->RowRec(Item->Index(), rec, &recNo)) return;
    Item->FillCaption(std::string(rec.Name()));
    Item->FillImageIndex(rec.ImageIndex());
    if (XL->ViewStyle() != vsReport) return;
    CompleteCaption(Item->Index(), rec, recNo);
    TStrings* sub = Item->SubItems();
    sub->Add(FormatFileSizeText(int64_t(rec.FileSize())));
    sub->Add(RecDateTimeText(rec));
    sub->Add(Listing->DrivesView ? "   " : std::string(rec.Caption()));
    if (Listing->CommentsLoaded) {
        const int found = CommentLine(*Listing, std::string(rec.Name()) + std::string(rec.Ext()));
        if (found >= 0) sub->Add(CommentTexts[found]);
    }
}

void TFileForm::XLGetImageIdx(QPainter& Painter, int Row, const QRect& ItemRect, bool Selected) {
    if (!ThumbnailView() || Listing->Closing || ViewBusy) return;
    FileRec rec;
    int32_t recNo = -1;
    if (!Listing->RowRec(Row, rec, &recNo)) return;
    const QRect cell(ItemRect.left() + (ItemRect.width() - ListCellWidth) / 2, ItemRect.top() + LabelGap,
                     ListCellWidth, ListCellHeight);
    QImage shown = ThumbCells().Cell(ThumbRecFile(rec), rec, ListCellWidth, ListCellHeight);
    if (shown.isNull()) {
        const uint16_t state = rec.State();
        const int stock = state == fsFolder ? -1 : state == fsTooLarge ? -3 : state == fsFailed ? -4 : 0;
        if (stock == 0) {
            if (state != fsPending) {
                rec.SetState(fsPending);
                Listing->WriteRec(recNo, rec);
            }
            return;
        }
        shown = ThumbCells().Cell(ThumbStockFile(stock), rec, ListCellWidth, ListCellHeight);
        if (shown.isNull()) return;
    } else if (rec.State() == fsPending) {
        rec.SetState(fsPresent);
        Listing->WriteRec(recNo, rec);
    }
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setBrush(Qt::NoBrush);
    Painter.drawImage(cell.topLeft(), shown);
    const QRect frame(cell.topLeft(), shown.size());
    if (Selected) {
        // The selection overlay in merge-paint: white dots where both
        // coordinates are odd; then the highlight frame, twice.
        Painter.drawImage(cell.topLeft(), SelectionDots(shown.width(), shown.height()));
        Painter.setPen(XL->palette().color(QPalette::Active, QPalette::Highlight));
        Painter.drawRect(frame.adjusted(0, 0, -1, -1));
        Painter.drawRect(frame.adjusted(1, 1, -2, -2));
    } else {
        Painter.setPen(XL->palette().color(QPalette::Light));
        Painter.drawRect(frame.adjusted(0, 0, -1, -1));
    }
    Painter.restore();
}

void TFileForm::XLToolTip(TVListItem* Item, std::string& ToolTipText) {
    const TExplorerControls c(EControls);
    if (!Item || Listing->Risky || ViewBusy || AlbumListing || Listing->DrivesView || !c.ListToolTips()) return;
    if (XL->ViewStyle() == vsIcon) {
        // The font's height in pixels: its point size at the screen's resolution.
        const int pixels = XL->fontInfo().pixelSize();
        XL->IsIconView = true;
        XL->CustomTipWidth = pixels * 120 / 11;
        XL->CustomTipHeight = pixels * 60 / 11;
    } else {
        XL->IsIconView = false;
    }
    FileRec rec;
    int32_t recNo = -1;
    const int row = Item->Index();
    if (!Listing->RowRec(row, rec, &recNo)) return;
    CompleteCaption(row, rec, recNo);
    std::string sizeText = FormatFileSizeText(int64_t(rec.FileSize()));
    if (rec.State() == fsFolder && sizeText == "0") sizeText = " [unknown] ";
    std::string dimension = TrimBlanks(rec.Caption());
    const std::string ext = UpperCase(ExtractFileExt(Listing->GetItemPath(row)));
    if (IsCaptionPictureExt(ext) && dimension.size() > 5 && dimension.compare(0, ext.size(), ext) == 0)
        dimension = dimension.substr(ext.size());
    ToolTipText = dimension + "\r\n " + sizeText + "\r\n " + RecShortDate(rec);
}

// ---- Selection, clicks and keys

void TFileForm::XLChange() {
    if (Listing->Risky || Listing->Closing || AlbumListing || Listing->ListBusy || ViewBusy || Dragging ||
        FileOpBusy || ListChangeSuppressed || XL->SelCount() >= 2)
        return;
    UpdateStatusBar();
}

void TFileForm::XLClick(QObject* Sender) {
    TOwnCall own(this);
    if (Listing->Risky || Listing->Closing || Listing->ListBusy || ViewBusy || Dragging || FileOpBusy) return;
    const int selected = XL->SelCount();
    if (Listing->DrivesView && selected > 1) return;
    const bool singleClick = TExplorerControls(EControls).ClickMode() > 0;
    FileMenuPopup();
    if (ThumbnailView() && selected == 1) {
        ViewBusy = true;
        Thumbnailing_Stop();
        Application.ProcessMessages();
        ViewBusy = false;
        PostExplorerMessage(30);
        FileRec rec;
        if (singleClick && Sender == XL && Listing->RowRec(-1, rec) && rec.State() == fsFolder) XLDblClick(XL);
        return;
    }
    if (singleClick && Sender == XL && selected == 1) XLDblClick(XL);
    UpdateStatusBar();
}

void TFileForm::XLMouseUp() { Listing->ListBusy = false; }

void TFileForm::XLKeyUp(uint16_t& Key) {
    if (Editing) return;
    XLClick(Tree);
    if (Key == VK_ESCAPE) Edit_End();
}

void TFileForm::FormKeyDown(QObject* Sender, uint16_t& Key, uint8_t Shift) {
    if (Editing || Shift == ssAlt) return;
    if (Sender == Tree) {
        if (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME) {
            const Qt::Key qtKey = Key == VK_PRIOR  ? Qt::Key_PageUp
                                  : Key == VK_NEXT ? Qt::Key_PageDown
                                  : Key == VK_END  ? Qt::Key_End
                                                   : Qt::Key_Home;
            Key = 0;
            XL->setFocus();
            QApplication::postEvent(XL->View(), new QKeyEvent(QEvent::KeyPress, qtKey, Qt::NoModifier));
        }
        return;
    }
    if (Key >= 'A' && Key <= 'Z' && (Shift & ~ssShift) == 0) {
        const uint16_t letter = Key;
        Key = 0;
        FindKeyItem(letter);
    } else if (Key == VK_RETURN) {
        Key = 0;
        Application.ProcessMessages();
        XLDblClick(XL);
    }
}

void TFileForm::FormKeyUp(uint16_t& Key) {
    if (Key == VK_F1) HelpItemClick(this);
}

void TFileForm::FindKeyItem(uint16_t Key) {
    const int count = int(Listing->FileOrder.size());
    if (count < 2) return;
    Listing->ListBusy = true;
    Screen.SetCursor(crHourGlass);
    const char letter = char(std::tolower(Key));
    for (int row = 0; row < count; ++row) {
        const FileRec rec = Listing->ReadRec(Listing->FileOrder[size_t(row)]);
        const std::string_view name = rec.Name();
        if (name.empty() || std::tolower(static_cast<unsigned char>(name[0])) != letter) continue;
        const std::vector<int> selected = XL->SelectedRows();
        if (std::binary_search(selected.begin(), selected.end(), row)) continue;
        XL->SelectRows(row, row, true);
        if (TVListItem* item = XL->Items()->Item(row)) item->MakeVisible();
        break;
    }
    Screen.SetCursor(crDefault);
    UpdateStatusBar();
    Application.ProcessMessages();
    Listing->ListBusy = false;
}

// ---- Sorting by column

void TFileForm::XLColumnClick(int Column) {
    TOwnCall own(this);
    if (Column < ColumnName || Column > ColumnComment) return;
    if (Column == ColumnComment && !Listing->CommentsLoaded) return;
    Thumbnailing_Stop();
    static constexpr TListSortKey keys[] = {TListSortKey::Name, TListSortKey::Size, TListSortKey::Date,
                                            TListSortKey::Type, TListSortKey::Comment};
    // The Arrange items of the column's ascending and descending order.
    static constexpr int arrange[][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 6}, {8, 8}};
    const bool descending = columnDescending_[Column];
    columnDescending_[Column] = !descending;
    const int item = arrange[Column][descending ? 1 : 0];
    ArrangeItems[size_t(arrange[Column][0])]->Tag = descending ? 1 : 0;
    if (Column != ColumnComment) {
        ArrangeItems[size_t(item)]->setChecked(true);
        ArrangePopupItems[size_t(item)]->setChecked(true);
    }
    Listing->SortRows(keys[Column], descending);
    if (ThumbnailView()) PostExplorerMessage(30);
}

// ---- Renaming in place

void TFileForm::XLEditing(TVListItem* Item, bool& AllowEdit) {
    TOwnCall own(this);
    if (!Item || Listing->DrivesView || Listing->ListBusy || ViewBusy || FileOpBusy || OpenBusy) {
        AllowEdit = false;
        return;
    }
    Edit_Start();
    Thumbnailing_Stop();
    FolderMonitor_Terminate();
}

void TFileForm::Edit_Start() {
    // PENDING: the image window's two menu items and their shortcuts are left as they are while a name is edited.
    if (auto* del = qobject_cast<QAction*>(FindItem("mnuFDelete"))) del->setShortcut(QKeySequence());
    Editing = true;
}

void TFileForm::Edit_End() {
    if (auto* del = qobject_cast<QAction*>(FindItem("mnuFDelete"))) del->setShortcut(QKeySequence(Qt::Key_Delete));
    Editing = false;
}

void TFileForm::XLEdited(TVListItem* Item, std::string& NewName) {
    TOwnCall own(this);
    FolderMonitor_Terminate();
    FileRec rec;
    int32_t recNo = -1;
    if (Item && Listing->RowRec(Item->Index(), rec, &recNo)) {
        OldItemName = std::string(rec.Name());
        ValidateItemName(ExploreDir, NewName);
        if (NewName != OldItemName) {
            // The row shows the new name; its thumbnail is made again.
            rec.SetName(NewName);
            rec.SetState(rec.State() == fsFolder ? fsFolder : fsPending);
            Listing->WriteRec(recNo, rec);
        }
    }
    Edit_End();
    FolderMonitor_Restart();
    Editing = false;
}

// ---- View styles

void TFileForm::RestoreNormal() {
    XL->Callback = false;
    if (!ThumbnailView()) return;
    ListTag = 0;
    Screen.SetCursor(crHourGlass);
    ListBeginUpdate();
    if (plainDelegate_) XL->View()->setItemDelegate(plainDelegate_);
    XL->SetIconSpacing(QSize());
    XL->SetLargeImages(&SystemLargeImages());
    Screen.SetCursor(crDefault);
    ListEndUpdate();
    HSplitterMoved();
}

void TFileForm::btnViewLgIconsClick(QObject*) {
    ViewBusy = true;
    RestoreNormal();
    mnuViewLgIcons->setChecked(true);
    XL->SetViewStyle(vsIcon);
    XL->SetIconSpacing(QSize());
    Application.ProcessMessages();
    ViewBusy = false;
}

void TFileForm::mnuViewListClick(QObject*) {
    ViewBusy = true;
    RestoreNormal();
    mnuViewList->setChecked(true);
    Application.ProcessMessages();
    XL->SetIconSpacing(QSize());
    XL->SetViewStyle(vsList);
    HSplitterMoved();
    ViewBusy = false;
}

void TFileForm::mnuViewReportClick(QObject*) {
    ViewBusy = true;
    RestoreNormal();
    mnuViewReport->setChecked(true);
    XL->SetViewStyle(vsReport);
    ViewBusy = false;
}

void TFileForm::mnuViewThumbsClick(QObject* Sender) {
    Record("mnuViewThumbsClick");
    TOwnCall own(this);
    if (ThumbnailView() && ThumbsBar->Position() == ThumbStep) return;
    const int step = ThumbsBar->Position();
    TExplorerControls c(EControls);
    if (step != c.ThumbSize()) {
        c.SetThumbSize(step);
        Application.ProcessMessages();
        Thumbnailing_Stop();
        Application.ProcessMessages();
        btnViewLgIconsClick(this);
    }
    // PENDING: the slide album window follows the thumbnail size once it shows thumbnails of the explorer.
    ViewBusy = true;
    if (!ThumbnailView()) {
        ListTag = 1;
        XL->SetViewStyle(vsIcon);
        XL->SetLargeImages(ThumbImages.get());
        XL->Callback = true;
        plainDelegate_ = XL->View()->itemDelegate();
        if (!thumbDelegate_) thumbDelegate_ = new TThumbCellDelegate(this, XL);
        XL->View()->setItemDelegate(thumbDelegate_);
    }
    XL->SetStateImages(nullptr);
    mnuViewThumbs->setChecked(true);
    XL->SetViewStyle(vsIcon);
    SetThumbnailSize(step);
    const int textHeight = std::abs(XL->fontMetrics().boundingRect("|").height());
    XL->SetIconSpacing(QSize(8 * XL->logicalDpiX() / 96 + ListCellWidth, 2 * textHeight + ListCellHeight + 8));
    Application.ProcessMessages();
    if (redoPending_) {
        redoPending_ = false;
        RedoRefresh();
    }
    StartThumbnailRun(Sender);
    PostExplorerMessage(30);
    ViewBusy = false;
    XL->Viewport()->update();
    HSplitterMoved();
}

void TFileForm::btnViewThumbsClick(QObject* Sender) {
    TOwnCall own(this);
    if (ThumbnailView())
        PostExplorerMessage(30);
    else
        mnuViewThumbsClick(Sender);
}

void TFileForm::SetThumbnailSize(int Step) {
    const TCellSize cell = ThumbCellOfStep(Step);
    ThumbStep = Step >= 1 && Step <= 7 ? Step : 8;
    ListCellWidth = cell.Width;
    ListCellHeight = cell.Height;
    ThumbImages->Clear();
    ThumbImages->Width = cell.Width;
    ThumbImages->Height = cell.Height;
}

void TFileForm::mnuThumbnailSize(QObject*) {
    TOwnCall own(this);
    TXScrlDlgParam params;
    params.Min = ThumbsBar->Min();
    params.Max = ThumbsBar->Max();
    params.Position = ThumbsBar->Position();
    params.UseTrackBar = 1;
    const int step = ExecuteXScrlDlg("Variable Thumbnails", "Smallest", "Largest ", params);
    if (step == XScrlCancelled) return;
    if (ThumbnailView() && step == ThumbStep) return;
    ThumbsBar->SetPosition(step);
    mnuViewThumbsClick(this);
}

void TFileForm::btnThumbsUpClick(QObject* Sender) {
    TOwnCall own(this);
    const int delta = Sender == btnThumbsDn ? -1 : 1;
    ThumbsBar->SetPosition(std::clamp(ThumbsBar->Position() + delta, ThumbsBar->Min(), ThumbsBar->Max()));
    mnuViewThumbsClick(Sender);
}

void TFileForm::ThumbsBarKeyUp() {
    TOwnCall own(this);
    mnuViewThumbsClick(ThumbsBar);
}

// Any button's release applies the step: dragging the slider with the left
// button is how its step is usually chosen.
void TFileForm::ThumbsBarMouseUp() {
    TOwnCall own(this);
    mnuViewThumbsClick(ThumbsBar);
}

void TFileForm::HSplitterMoved() {
    XL->Arrange(arDefault);
    XL->Viewport()->update();
}

// ---- Font

void TFileForm::DoFont() {
    const TExplorerControls c(EControls);
    QFont font = QApplication::font();
    const std::string name = c.ListFontName();
    if (!name.empty() && QFontDatabase::hasFamily(QString::fromStdString(name)))
        font.setFamily(QString::fromStdString(name));
    if (c.ListFontSize() > 0) font.setPointSize(c.ListFontSize());
    font.setBold(c.ListFontBold());
    XL->setFont(font);
    Tree->setFont(font);
    LookBox->setFont(font);
    FitDateColumn();
}

void TFileForm::mnuViewFontClick(QObject*) {
    TOwnCall own(this);
    XFontDialog->setCurrentFont(XL->font());
    if (ExecModal(*XFontDialog) != QDialog::Accepted) return;
    const QFont font = XFontDialog->selectedFont();
    XL->setFont(font);
    Tree->setFont(font);
    LookBox->setFont(font);
    FitDateColumn();
    TExplorerControls c(EControls);
    c.SetListFontName(font.family().toStdString());
    c.SetListFont(std::max(font.pointSize(), 1), font.bold());
    mnuRefreshClick(this);
}

// ---- Updates

void TFileForm::ListBeginUpdate() {
    if (listUpdating_) return;
    XL->Items()->BeginUpdate();
    listUpdating_ = true;
}

void TFileForm::ListEndUpdate() {
    if (!listUpdating_) return;
    XL->Items()->EndUpdate();
    listUpdating_ = false;
}

void TFileForm::TreeBeginUpdate() {
    if (treeUpdating_) return;
    Tree->setUpdatesEnabled(false);
    treeUpdating_ = true;
}

void TFileForm::TreeEndUpdate() {
    if (!treeUpdating_) return;
    Tree->setUpdatesEnabled(true);
    treeUpdating_ = false;
}

// ---- Status bar

void TFileForm::UpdateStatusBar() {
    if (Listing->Risky || ViewBusy || AlbumListing) return;
    auto show = [this](int panel, const std::string& text) {
        QLabel* label = StatusPanels[panel];
        const QString shown = QString::fromStdString(text);
        label->setText(shown);
        label->setFixedWidth(text.empty() ? 1 : label->fontMetrics().horizontalAdvance(shown) + 12);
    };
    if (Listing->DrivesView) {
        show(0, "My Computer");
        show(1, "");
        show(2, "");
        return;
    }
    const int selected = XL->SelCount();
    if (selected == 0) {
        show(0, std::to_string(Listing->FileOrder.size()) + " object(s)");
        const std::string total = Listing->ListTotalSize == 0 ? ".." : FormatFileSizeText(Listing->ListTotalSize);
        show(1, total == "0" ? "" : total);
        show(2, "");
        return;
    }
    if (selected > 1) {
        show(0, std::to_string(selected) + " object(s) selected");
        show(1, "");
        show(2, "");
        return;
    }
    FileRec rec;
    int32_t recNo = -1;
    const std::vector<int> rows = XL->SelectedRows();
    if (rows.empty() || !Listing->RowRec(rows.front(), rec, &recNo)) return;
    CompleteCaption(rows.front(), rec, recNo);
    const std::string when = RecDateTimeText(rec);
    show(0, "item selected");
    show(1, std::string(rec.Caption()));
    show(2, rec.State() == fsFolder ? when : FormatFileSizeText(int64_t(rec.FileSize())) + ", " + when);
    if (TExplorerControls(EControls).ClickMode() > 0) FileMenuPopup();
}

}  // namespace lumvor
