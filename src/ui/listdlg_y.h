// The list dialog: pick one or several entries of a list of files, folders or
// slide effects, delete entries, sort and clean the list.
//
// One entry operation serves every use, chosen by a mode number:
//   0        the slide effects of bookmark shows (selection kept in EffectsList)
//   1        one slide's effect (the choice goes to ListDlgIndex)
//   2..400   batch source files; 3 and above (below 200) drop files that are not
//            pictures or do not exist, 200 and above start with every entry selected;
//            the selected entries go to AvlLines
//   401..409 the visited folders (the edited list replaces HistoryList)
//   410..    the bookmarked files (the edited list replaces ImageHistoryList)
// The dialog keeps its last bounds for the rest of the run. GUI thread only.
#pragma once

#include <QDialog>

#include <string>

#include "platform/Classes.h"
#include "platform/Graphics.h"

class QLabel;
class QMenu;
class QAction;
class QPushButton;
class QStatusBar;
class QWidget;

namespace lumvor {

class TVListShowEx;
class TVListItem;

namespace listdlg_y {
// Where the dialog was when it last closed; Left -1 = none (the next one is centred).
inline TRect ListDlgBounds{-1, -1, -1, -1};
// The row chosen in mode 1.
inline int ListDlgIndex = -1;
}  // namespace listdlg_y

class TListDlg : public QDialog {
public:
    TListDlg(QWidget* owner, int Mode, int HelpCtx, const std::string& Caption, const TStrings& Strings);
    ~TListDlg() override;

    QLabel* Label1;
    TVListShowEx* VChoices;
    QWidget* PanelButtons;
    QPushButton* btnHelp;
    QPushButton* btnCancel;
    QPushButton* btnOK;
    QPushButton* btnClear;
    QStatusBar* voStatusBarS;
    QLabel* StatusPanel;
    QMenu* PopupMenu = nullptr;
    QAction* mnuListSort = nullptr;
    QAction* mnuListDelete = nullptr;

    // The dialog's own copy of the list.
    TStringList Choices;
    // The row OK chose in the modes above 400 and in mode 1; -1 when none.
    int ChosenIndex = -1;

    void FormActivate();
    void btnOKClick();
    void btnClearClick();
    void btnHelpClick();
    void mnuListSortClick();
    void mnuListDeleteClick();
    std::string StatusText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void VChoicesData(TVListItem* Item);
    void SelectionChanged();
    void Reload();
    void SelectCurrentFile();
    void ShowCount();
    void SetStatus(const std::string& text);
    bool PathExists(const std::string& path) const;

    int mode_;
    int helpCtx_;
    bool activated_ = false;
};

// Shows the list dialog over a copy of Strings. Answers -1 unless closed with OK;
// on OK the index of the chosen entry in the modes above 400, ListDlgIndex in
// mode 1, 0 in the others, and the outputs of the mode are written.
int ExecuteListDlg(int Mode, int HelpCtx, const std::string& Caption, const TStrings& Strings);

}  // namespace lumvor
