#include "ui/listdlg_y.h"

#include <QAction>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

#include "state/ViewerState.h"
#include "state/ExplorerState.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "shell/ShellDrives.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"

namespace lumvor {

namespace {

// The pictures a batch conversion reads.
const char* const kBatchExtensions = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF";

// True when the file's upper-cased extension is one whole entry of the list.
bool BatchExtension(const std::string& fileName) {
    const std::string ext = UpperCase(ExtractFileExt(fileName));
    if (ext.size() < 2) return false;
    const std::string list = kBatchExtensions;
    for (size_t at = list.find(ext); at != std::string::npos; at = list.find(ext, at + 1)) {
        const size_t end = at + ext.size();
        if (end == list.size() || list[end] == '.') return true;
    }
    return false;
}

constexpr int kMinClientWidth = 330;
constexpr int kMinClientHeight = 240;
constexpr int kHistoryCapacity = 131072;

}  // namespace

TListDlg::TListDlg(QWidget* owner, int Mode, int HelpCtx, const std::string& Caption, const TStrings& Strings)
    : QDialog(owner), mode_(Mode), helpCtx_(HelpCtx) {
    setObjectName("ListDlg");
    setWindowTitle(Caption.empty() ? QString("List Dialog") : QString::fromStdString(Caption));
    setFont(QFont("MS Sans Serif"));
    setSizeGripEnabled(true);
    Choices.Assign(Strings);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Label1 = new QLabel("Press CTRL key and click to (un)select multiple items.", this);
    Label1->setObjectName("Label1");
    Label1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    layout->addWidget(Label1);

    VChoices = new TVListShowEx(this);
    VChoices->setObjectName("VChoices");
    VChoices->SetViewStyle(vsReport);
    VChoices->SetShowColumnHeaders(false);
    VChoices->Columns()->Add()->SetAutoSize(true);
    VChoices->SetOwnerData(true);
    VChoices->SetMultiSelect(true);
    VChoices->SetRowSelect(true);
    VChoices->SetReadOnly(true);
    VChoices->SetHideSelection(false);
    VChoices->Callback = true;
    VChoices->OnData = [this](QObject*, TVListItem* item) { VChoicesData(item); };
    VChoices->OnChange = [this](QObject*, TVListItem*, TItemChange) { SelectionChanged(); };
    VChoices->OnDataStateChange = [this](QObject*, int, int, TItemStates, TItemStates) { SelectionChanged(); };
    layout->addWidget(VChoices, 1);

    PanelButtons = new QWidget(this);
    PanelButtons->setObjectName("PanelButtons");
    auto* buttons = new QHBoxLayout(PanelButtons);
    btnHelp = new QPushButton("&Help", PanelButtons);
    btnHelp->setObjectName("btnHelp");
    btnHelp->setProperty("Tag", HelpCtx);
    btnCancel = new QPushButton("Cancel", PanelButtons);
    btnCancel->setObjectName("btnCancel");
    btnOK = new QPushButton("&Ok", PanelButtons);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnClear = new QPushButton("Cl&ear", PanelButtons);
    btnClear->setObjectName("btnClear");
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(btnClear);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addWidget(PanelButtons);

    voStatusBarS = new QStatusBar(this);
    voStatusBarS->setObjectName("voStatusBarS");
    voStatusBarS->setSizeGripEnabled(false);
    StatusPanel = new QLabel(voStatusBarS);
    voStatusBarS->addWidget(StatusPanel, 1);
    layout->addWidget(voStatusBarS);

    ConnectGuarded(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    ConnectGuarded(btnClear, &QPushButton::clicked, this, [this] { btnClearClick(); });
    ConnectGuarded(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });

    if (mode_ >= 400) {
        // The list's pop-up menu, with its keys.
        PopupMenu = new QMenu(this);
        mnuListSort = PopupMenu->addAction("&Sort all");
        mnuListDelete = PopupMenu->addAction("&Delete");
        mnuListDelete->setShortcut(QKeySequence(Qt::Key_Delete));
        ConnectGuarded(mnuListSort, &QAction::triggered, this, [this] { mnuListSortClick(); });
        ConnectGuarded(mnuListDelete, &QAction::triggered, this, [this] { mnuListDeleteClick(); });
        VChoices->setContextMenuPolicy(Qt::CustomContextMenu);
        ConnectGuarded(VChoices, &QWidget::customContextMenuRequested, this,
                       [this](const QPoint& at) { PopupMenu->popup(VChoices->mapToGlobal(at)); });
        VChoices->OnKeyDown = [this](QObject*, std::uint16_t& key, TShiftState shift) {
            if (key == VK_DELETE && shift == 0) {
                key = 0;
                mnuListDeleteClick();
            }
        };
    }

    // The remembered place when it fits the screen, else 400 x 400 in the middle.
    setMinimumSize(kMinClientWidth, kMinClientHeight);
    const TRect& b = listdlg_y::ListDlgBounds;
    if (b.Left != -1 && Screen.Width() >= b.Right && Screen.Height() >= b.Bottom) {
        setGeometry(b.Left, b.Top, std::max(b.Width(), kMinClientWidth), std::max(b.Height(), kMinClientHeight));
    } else {
        resize(400, 400);
        move((Screen.Width() - 400) / 2, (Screen.Height() - 400) / 2);
    }
    VChoices->Items()->SetCount(Choices.Count());
}

TListDlg::~TListDlg() = default;

void TListDlg::VChoicesData(TVListItem* Item) {
    const int row = Item->Index();
    if (row >= 0 && row < Choices.Count()) Item->SetCaption(Choices.At(row));
}

void TListDlg::SetStatus(const std::string& text) { StatusPanel->setText(QString::fromStdString(text)); }

std::string TListDlg::StatusText() const { return StatusPanel->text().toStdString(); }

void TListDlg::ShowCount() { SetStatus("  " + std::to_string(Choices.Count()) + " item(s)"); }

void TListDlg::SelectionChanged() {
    if (VChoices->SelCount() != 1) return;
    const std::vector<int> rows = VChoices->SelectedRows();
    SetStatus("  Selected item " + std::to_string(rows.front() + 1) + " of " + std::to_string(Choices.Count()));
}

void TListDlg::Reload() {
    VChoices->Items()->SetCount(Choices.Count());
    VChoices->Invalidate();
}

void TListDlg::SelectCurrentFile() {
    // Paths keep their case, so the current file is matched exactly.
    for (int i = 0; i < Choices.Count(); ++i) {
        if (Choices.At(i) == CurFileName) {
            TVListItem* item = VChoices->Items()->Item(i);
            item->SetSelected(true);
            item->SetFocused(true);
            item->MakeVisible();
            return;
        }
    }
}

void TListDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        Guarded([this] { FormActivate(); });
    }
}

void TListDlg::FormActivate() {
    if (mode_ > 400) {
        Label1->setText("Select item or press DELETE to remove selected item.");
        btnClear->setText("&Sort all");
        VChoices->SetMultiSelect(false);
        SelectCurrentFile();
    } else if (mode_ >= 2) {
        btnClear->setEnabled(mode_ <= 2);
        SetStatus("  Checking " + std::to_string(Choices.Count()) + " files ...");
        Screen.SetCursor(crHourGlass);
        if (mode_ >= 200) {
            Reload();
            VChoices->SelectRows(0, Choices.Count() - 1, true);
        } else {
            for (int i = Choices.Count() - 1; i >= 0; --i) {
                const std::string& name = Choices.At(i);
                if (!BatchExtension(name) || !FileExists(name)) Choices.Delete(i);
            }
            Reload();
            VChoices->SelectRows(0, Choices.Count() - 1, true);
            if (Choices.Count() == 0) {
                Label1->setText("No bookmarked files were eligible for compression.");
                btnClear->setEnabled(false);
                btnOK->setEnabled(false);
            }
        }
        Screen.SetCursor(crDefault);
    } else if (mode_ == 0) {
        for (int i = 0; i < Choices.Count() && i < int(lumv8900::EffectsList.size()); ++i)
            if (lumv8900::EffectsList[size_t(i)].Reserved[0] == 1) VChoices->SelectRows(i, i, true);
    } else if (mode_ == 1) {
        Label1->setText("Click an effect from list, then click Ok.");
        btnClear->hide();
        VChoices->SetMultiSelect(false);
    }
    ShowCount();
}

void TListDlg::btnOKClick() {
    const std::vector<int> rows = VChoices->SelectedRows();
    if (mode_ > 400) {
        ChosenIndex = rows.empty() ? -1 : rows.back();
    } else if (mode_ >= 2) {
        AvlLines.Clear();
        for (int row : rows) AvlLines.Add(Choices.At(row));
    } else if (mode_ == 1) {
        ChosenIndex = rows.empty() ? -1 : rows.back();
        listdlg_y::ListDlgIndex = ChosenIndex;
    } else {
        for (size_t i = 0; i < lumv8900::EffectsList.size(); ++i)
            lumv8900::EffectsList[i].Reserved[0] =
                std::binary_search(rows.begin(), rows.end(), int(i)) ? 1 : 0;
    }
    done(mrOk);
}

void TListDlg::btnClearClick() {
    if (mode_ > 400) {
        mnuListSortClick();
        return;
    }
    VChoices->SetSelected(nullptr);
    if (Choices.Count() > 0) VChoices->SelectRows(0, 0, true);
}

void TListDlg::btnHelpClick() { Application.HelpContext(btnHelp->property("Tag").toInt()); }

bool TListDlg::PathExists(const std::string& path) const {
    return mode_ > 409 ? FileExists(path) : DirectoryExists(path);
}

void TListDlg::mnuListSortClick() {
    if (Choices.Count() < 2) return;
    Choices.Sort();
    for (int i = Choices.Count() - 1; i >= 1; --i)
        if (Choices.At(i) == Choices.At(i - 1)) Choices.Delete(i);
    if (mode_ > 400) {
        bool missingFound = false;
        bool dropOtherDrives = false;
        for (int i = Choices.Count() - 1; i >= 0; --i) {
            const std::string path = Choices.At(i);
            const bool fixed = GetDriveType(path) == DRIVE_FIXED;
            if (!fixed && dropOtherDrives) {
                Choices.Delete(i);
                continue;
            }
            if (!fixed && missingFound) {
                const int answer = voMessageDlg(
                    "", "",
                    "A missing file or folder resides on a remote or removable volume.\n"
                    "Windows may prompt you to insert media for eash missing entry.\n"
                    "Remove all entries that reside on remote or removable media?",
                    mtConfirmation, mbYesNo, mbYes, 0);
                if ((answer & ~CheckBoxTicked) == mrYes) {
                    dropOtherDrives = true;
                    Choices.Delete(i);
                    continue;
                }
            }
            if (!PathExists(path)) {
                Choices.Delete(i);
                missingFound = true;
            }
        }
    }
    Reload();
    SelectCurrentFile();
    ShowCount();
}

void TListDlg::mnuListDeleteClick() {
    const std::vector<int> rows = VChoices->SelectedRows();
    if (rows.empty()) return;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) Choices.Delete(*it);
    Reload();
    SelectCurrentFile();
    ShowCount();
}

void TListDlg::done(int result) {
    const QRect g = geometry();
    listdlg_y::ListDlgBounds = TRect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    QDialog::done(result);
}

int ExecuteListDlg(int Mode, int HelpCtx, const std::string& Caption, const TStrings& Strings) {
    TListDlg dlg(nullptr, Mode, HelpCtx, Caption, Strings);
    if (ExecModal(dlg) != mrOk) return -1;
    if (Mode > 400) {
        TStringList& target = Mode > 409 ? lumv8900::ImageHistoryList : xplr8900::HistoryList;
        target.Clear();
        target.SetCapacity(std::max(dlg.Choices.Count(), kHistoryCapacity));
        target.Assign(dlg.Choices);
        // The index points into the visited-folder list only in its own modes.
        if (Mode <= 409) xplr8900::HistoryIndex = dlg.ChosenIndex;
        return dlg.ChosenIndex;
    }
    if (Mode == 1) return listdlg_y::ListDlgIndex;
    return 0;
}

}  // namespace lumvor
