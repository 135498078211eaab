// The explorer's search tools: the picture most like a chosen thumbnail
// ("&Match"), a sibling folder by part of its name ("&Locate"), files by part
// of their name ("&Find filename"), the information of one file ("Info",
// "I&nfo", "&Properties") and the arrangement of the explorer beside the
// image window ("&Tile").
#include "explorer/xplr8900.h"

#include "state/ViewerState.h"
#include "state/ImageWindowSeam.h"
#include "state/AlbumSeam.h"
#include "state/AlbumState.h"
#include "explorer/FolderListing.h"
#include "explorer/FolderSizes.h"
#include "explorer/ListCells.h"
#include "ui/LongRun.h"
#include "explorer/PictureMatch.h"
#include "explorer/ShellProperties.h"
#include "explorer/ThumbFiles.h"
#include "explorer/ThumbMakers.h"
#include "explorer/TileLayout.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/LookBoxEx.h"
#include "ui/MenuItems.h"
#include "ui/Status_y.h"
#include "ui/ToolBarEx.h"
#include "ui/TreeViewEx.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeDatabase>
#include <QScreen>

#include <algorithm>

namespace lumvor {

using namespace xplr8900;

namespace {

const char* const kPictureExtensions = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF";
const char* const kSingleReference = "Please select a single thumbnail as a reference image.";
const char* const kNotGraphics = " is not a graphics file.";
const char* const kThumbsIncomplete = "Thumbnailing incomplete or interrupted.\nAfter verification, run this function again.";
const char* const kNoMatch = "No match found for\n";
const char* const kSizesAborted = "Folder size calculations aborted.";

bool IsPictureExt(const std::string& ext) { return ExtInList(ext, kPictureExtensions, kPictureExtensions); }

Qt::KeyboardModifiers ModifiersNow() {
    return KeyboardState ? KeyboardState() : QGuiApplication::queryKeyboardModifiers();
}

void Inform(const std::string& text) { voMessageDlg("", "", text, mtInformation, mbOKOnly, AutoDefaultButton, 0); }

// Upper-cases ASCII letters only, as the names are compared.
std::string FoldUpper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

std::string FoldLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The desktop's description of a file's type; "" when it does not know it.
std::string TypeDescription(const std::string& path) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(path));
    if (!type.isValid() || type.isDefault()) return "";
    return type.comment().toStdString();
}

// The arrangement a "&Tile" item stands for: the digit of its name
// ("mnuTile3" and the image window's "mnuTile3V" are both "Overlapped &right").
TTileArrangement ArrangementOf(const QObject* sender) {
    const std::string name = sender ? sender->objectName().toStdString() : "";
    const size_t digit = name.find_first_of("1234", std::string("mnuTile").size());
    if (name.rfind("mnuTile", 0) != 0 || digit == std::string::npos) return TTileArrangement::ExplorerRight;
    return TTileArrangement(name[digit] - '1');
}

// Moves and sizes a window so that its frame covers Rect.
void PlaceFrame(QWidget& window, const QRect& rect) {
    const QSize frameExtra = window.frameGeometry().size() - window.geometry().size();
    window.resize(std::max(rect.width() - frameExtra.width(), 1), std::max(rect.height() - frameExtra.height(), 1));
    window.move(rect.topLeft());
}

}  // namespace

void TFileForm::BindSearchTools() {
    auto wire = [this](const char* name, void (TFileForm::*handler)(QObject*)) {
        if (auto* item = qobject_cast<QAction*>(FindItem(name)))
            WireMenuItem(this, item, [this, handler](QObject* sender) { (this->*handler)(sender); });
    };
    wire("mnuMatchImage", &TFileForm::mnuMatchImageClick);
    wire("mnuFolderFindText", &TFileForm::mnuFolderFindTextClick);
    wire("mnuFindcaption", &TFileForm::mnuFindcaptionClick);
    for (const char* name : {"mnuInfoX", "mnuPropertiesX"})
        wire(name, &TFileForm::btnInfoClick);
    wire("mnuFolderUsage", &TFileForm::mnuFolderUsageClick);
    for (const char* name : {"mnuTile1", "mnuTile2", "mnuTile3", "mnuTile4"})
        wire(name, &TFileForm::mnuTile1Click);
    btnInfoX->setProperty(PendingProperty, false);
    btnInfoX->setEnabled(true);
    btnInfoX->OnClick = [this](QObject* sender) { btnInfoClick(sender); };
}

// ---- Match

void TFileForm::mnuMatchImageClick(QObject*) {
    TOwnCall own(this);
    const int rows = int(Listing->FileOrder.size());
    const std::vector<int> selected = XL->SelectedRows();
    if (rows < 2 || selected.size() != 1) {
        voMessageDlg("", "", kSingleReference, mtWarning, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    const int reference = selected.front();
    XL->SetSelected(nullptr);
    FileRec referenceRec;
    Listing->RowRec(reference, referenceRec);
    const std::string referencePath = Listing->GetItemPath(reference);
    if (referenceRec.State() == fsFolder || !FileExists(referencePath) ||
        !IsPictureExt(UpperCase(ExtractFileExt(referencePath)))) {
        Inform(std::string(referenceRec.Name()) + kNotGraphics);
        return;
    }
    TPictureMatch match(MatchBlockSize(ThumbWidth));
    if (!match.SetReference(ThumbRecFile(referenceRec), referenceRec)) {
        Inform(kThumbsIncomplete);
        btnViewThumbsClick(this);
        return;
    }

    ShowStatusForm("Comparing ... ");
    IsBusy = 1;
    CancelPressed = 0;
    if (StatusForm) StatusForm->LabelText("", "Records:", "_");
    bool incomplete = false;
    int percentShown = -1;
    for (int row = rows - 1; row >= 0; --row) {
        const int percent = (rows - 1 - row) * 100 / rows;
        if (percent != percentShown && StatusForm) {
            percentShown = percent;
            StatusForm->LabelText(std::to_string(percent) + "%", "", "");
        }
        if (row != reference) {
            FileRec rec;
            int32_t recNo = -1;
            Listing->RowRec(row, rec, &recNo);
            const bool picture = rec.State() != fsFolder && IsPictureExt(UpperCase(ExtractFileExt(std::string(rec.Name()))));
            const TThumbFile cache = ThumbRecFile(rec);
            if (picture && !match.Compare(cache, rec, row)) {
                // The restarted thumbnail run makes the row's thumbnail again.
                incomplete = true;
                rec.SetState(fsPending);
                Listing->WriteRec(recNo, rec);
                ThumbCells().Invalidate(cache.Path);
            }
        }
        Application.ProcessMessages();
        if (LongRunCancelled()) break;
    }
    if (StatusForm) StatusForm->Close();
    IsBusy = 0;
    if (incomplete) {
        Inform(kThumbsIncomplete);
        btnViewThumbsClick(this);
    }

    const int best = match.Best();
    XL->SelectRows(reference, reference, true);
    if (best < 0) return;
    XL->SelectRows(best, best, true);
    XL->SetItemFocused(XL->Items()->Item(std::min(reference, best)));
    if (FileExists(Listing->GetItemPath(best))) btnOpenXClick(this);
}

// ---- Locate and Find

void TFileForm::mnuFolderFindTextClick(QObject*) {
    TOwnCall own(this);
    const bool shift = ModifiersNow().testFlag(Qt::ShiftModifier);
    TTreeNode* selected = Tree ? Tree->currentItem() : nullptr;
    TTreeNode* parent = selected ? selected->parent() : nullptr;
    if (!parent) return;
    const std::string example = shift ? "e.g. \"MyWeb\"" : "e.g. \"Download\"";
    if (!voInputQuery(240, 60, 0, "Enter partial Folder name.", example + " to find \"MyWebDownloads\"", SearchText))
        return;
    const std::string wanted = FoldUpper(SearchText);
    for (int i = 0; i < parent->childCount(); ++i) {
        const std::string text = parent->child(i)->text(0).toStdString();
        std::string name = FoldUpper(Trim(text));
        if (shift && name.size() > wanted.size() + 4) name.resize(wanted.size() + 1);
        if (name.find(wanted) == std::string::npos) continue;
        const std::string path = GetNodePath(parent) + text + "/";
        if (DirectoryExists(RemoveBackslash(path))) {
            ExploreDir = path;
            LookBox->SetFolder(path);
        }
        return;
    }
    Inform(kNoMatch + SearchText);
}

void TFileForm::mnuFindcaptionClick(QObject*) {
    TOwnCall own(this);
    if (!voInputQuery(240, 60, 0, "Enter partial DisplayName to find.", "e.g. \"fav\" to find \"myfavpic.jpg\"",
                      SearchText))
        return;
    if (Listing->FileOrder.size() < 2) return;
    Listing->ListBusy = true;
    Listing->ListSort_Begin();
    const std::string wanted = FoldLower(SearchText);
    SelectRowsWhere([this, &wanted](int row) {
        FileRec rec;
        return Listing->RowRec(row, rec) && FoldLower(std::string(rec.Name())).find(wanted) != std::string::npos;
    });
    Listing->ListSort_End();
    UpdateStatusBar();
    if (XL->SelCount() == 0) Inform(kNoMatch + SearchText);
    Application.ProcessMessages();
    Application.ProcessMessages();
    Listing->ListBusy = false;
}

// ---- Information

void TFileForm::btnInfoClick(QObject* Sender) {
    TOwnCall own(this);
    const int rows = int(Listing->FileOrder.size());
    const std::vector<int> selected = XL->SelectedRows();
    if (Listing->DrivesView) {
        if (selected.size() == 1) ShowShellProperties(Listing->GetItemPath(selected.front()), this);
        return;
    }
    if (selected.size() != 1 || rows <= 1) {
        ShowShellProperties(ExploreDir, this);
        return;
    }
    const int row = selected.front();
    FileRec rec;
    Listing->RowRec(row, rec);
    const std::string path = Listing->GetItemPath(row);
    const std::string ext = UpperCase(ExtractFileExt(path));
    const bool propertiesItem = Sender == FindItem("mnuPropertiesX");
    if (rec.State() == fsFolder || !IsPictureExt(ext) || propertiesItem || !FileExists(path)) {
        ShowShellProperties(path, this);
        return;
    }
    std::string viewText;
    TPictureHeaderInfo info;
    if (ReadPictureInfo(path, info) > 0) viewText = DimensionText(info.Width, info.Height, info.Bits);
    if (ext.find(".JP") != std::string::npos && lumv8900::ImageWindow) {
        XL->SetItemFocused(XL->Items()->Item(row));
        lumv8900::ImageWindow->JPEGReaderClick(this);
        return;
    }
    const std::string type = TypeDescription(path);
    const QDateTime written = QFileInfo(QString::fromStdString(path)).lastModified();
    const std::string text = std::string(rec.Name()) + "\n" + "Path: " + ExtractFilePath(path) + "\n" +
                             "Size: " + FormatFileSizeText(int64_t(rec.FileSize())) + "\n" + "Date: " +
                             QLocale().toString(written, QLocale::ShortFormat).toStdString() + "\n" +
                             "View: " + viewText + "\n" + "Type: " + (type.empty() ? ext + " file" : type) +
                             "\n\n" + "View properties?";
    if (voMessageDlg("", "", text, mtInformation, mbYesNo, mbNo, 0) != mrNo) ShowShellProperties(path, this);
}

// ---- Folder sizes

void TFileForm::mnuFolderUsageClick(QObject*) {
    TOwnCall own(this);
    if (!isVisible() || Listing->DrivesView) return;
    if (LongRunRefused() || !NetworkRunAllowed(ExploreDir)) return;
    FolderMonitor_Terminate();
    Thumbnailing_Stop();
    Local_DoFolderSize();
}

void TFileForm::Local_DoFolderSize() {
    const std::string folder = ExploreDir;
    Listing->ListBusy = true;
    XL->SetSelected(nullptr);
    ListBeginUpdate();
    CancelPressed = 0;
    if (show8900::Album && show8900::Album->Form().isVisible()) show8900::Album->Form().hide();
    ShowStatusForm("Folder size");
    IsBusy = 1;
    if (StatusForm) StatusForm->LabelText("Calculating usage: scanning folders ...", "Folder:", "Folders:");
    Application.ProcessMessages();

    StartProgressClock();
    TProgressPacer pacer;
    bool aborted = LongRunCancelled();
    const TFolderSizes sizes = aborted ? TFolderSizes{} : SumFolderSizes(folder, [&](const TFolderSizes& sofar) {
        if (pacer.Due()) {
            const std::string rate = ScanRateStatus(sofar.Files);
            if (StatusForm)
                StatusForm->LabelText("Calculating usage: " + std::to_string(sofar.Folders) + " folders ...", "",
                                      rate.empty() ? "Folders:" : rate);
            Application.ProcessMessages();
        }
        aborted = LongRunCancelled();
        return !aborted;
    });

    // Every folder row takes its total, the one size encoding of the records.
    for (int32_t recNo : Listing->FileOrder) {
        FileRec rec = Listing->ReadRec(recNo);
        if (rec.State() != fsFolder) continue;
        const auto total = sizes.Totals.find(std::string(rec.Name()));
        if (total == sizes.Totals.end()) continue;
        const uint64_t bytes = uint64_t(total->second);
        rec.SetSizeHigh(uint32_t(bytes >> 32));
        rec.SetSizeLow(uint32_t(bytes));
        Listing->WriteRec(recNo, rec);
    }
    ListEndUpdate();
    if (StatusForm) StatusForm->Close();
    IsBusy = 0;
    Listing->ListBusy = false;

    std::string summary;
    if (aborted || sizes.Stopped) {
        summary = kSizesAborted;
        mnuRefreshClick(this);
    } else {
        XL->Viewport()->update();
        summary = std::to_string(sizes.Files) + " files scanned from " + std::to_string(sizes.Folders) +
                  " folders.\n\nFolder sizes populated in Details (Report) view.\nNote: Calculated folder sizes are "
                  "not persistent.\nIf listing is refreshed, fields will revert to \"zero\".";
    }
    mnuViewReportClick(this);
    if (mnuFolderUsage->Tag != 0) return;
    const int answer = voMessageDlg("Ignore this dialog (for experts).", "Folder size(s) calculated", summary,
                                    mtInformation, mbOKOnly, AutoDefaultButton, 0);
    if (answer & CheckBoxTicked) mnuFolderUsage->Tag = 1;
}

// ---- Tile

void TFileForm::mnuTile1Click(QObject* Sender) {
    Record("mnuTile1Click");
    TOwnCall own(this);
    const Qt::KeyboardModifiers keys = ModifiersNow();
    if (isMaximized()) showNormal();
    Application.ProcessMessages();
    QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!where) return;
    TTileInput input;
    input.Screen = where->geometry();
    input.Available = where->availableGeometry();
    input.Arrangement = ArrangementOf(Sender);
    input.IgnoreReserves = keys.testFlag(Qt::ShiftModifier);
    input.KeepWidth = keys.testFlag(Qt::ControlModifier);
    input.ExplorerWidth = frameGeometry().width();
    const TTileRects rects = TileRects(input);
    PlaceFrame(*this, rects.Explorer);

    using lumv8900::ImageWindow;
    if (!ImageWindow || ImageWindow->FullScreenItemReadsNormal()) return;
    const bool fromExplorer = Sender && Sender->parent() == this;
    if (fromExplorer) ImageWindow->Form().show();
    PlaceFrame(ImageWindow->Form(), rects.Viewer);
}

}  // namespace lumvor
