// What the other windows, the dialogs and the layers below the image window
// call on it. The image window implements this under its own member names and
// registers itself as lumv8900::ImageWindow while it lives; code below the
// window holds this seam, never the window class.
#pragma once

#include <QtCore/qnamespace.h>

#include <string>
#include <vector>

class QMainWindow;
class QMenu;
class QObject;
class QStatusBar;

namespace lumvor {

class TMeOpenDialogEx;
class TSaveDialogEx;

class TImageWindowSeam {
public:
    virtual ~TImageWindowSeam() = default;

    // The window itself, to show, hide, raise, enable or close it.
    virtual QMainWindow& Form() = 0;
    // The menu bar's top menus (File, Edit, View, Image, Lab, Enhance, Tools, Help).
    virtual const std::vector<QMenu*>& MenuBarMenus() const = 0;
    // The window's status bar (null before it is built).
    virtual QStatusBar* WindowStatusBar() const = 0;
    // The list-file open dialog the windows share: another window sets its file
    // name before calling mnuHistoryLoadClick or reads the name picked last.
    virtual TMeOpenDialogEx& SharedOpenDialog() = 0;
    // The picture save dialog (null before it is built), lent to the web page
    // generator, which puts the window's settings of it back afterwards.
    virtual TSaveDialogEx* PictureSaveDialog() = 0;

    virtual void ShortCuts_Disable() = 0;
    virtual bool FullScreenItemReadsNormal() const = 0;
    virtual void AddToAppRecent(const std::string& Path) = 0;
    virtual std::string GetJPEGDateText(const std::string& Name) = 0;
    virtual int ExecuteFile(const std::string& Name, const std::string& Params, const std::string& Folder,
                            int ShowCmd) = 0;
    virtual int CloseNow(QObject* Sender) = 0;

    // Opening what another window hands over.
    virtual void DragOpen(const std::string& Name) = 0;
    virtual void OpenBIPfile(const std::string& FileName) = 0;
    virtual void HistoryControls() = 0;
    virtual void mnuHistoryLoadClick(QObject* Sender) = 0;
    virtual void mnuHistorySlideshowClick(QObject* Sender) = 0;
    virtual void mnuBatchRename1Click(QObject* Sender, Qt::KeyboardModifiers Keys) = 0;
    virtual void mnuDateNameClick(QObject* Sender, Qt::KeyboardModifiers Keys) = 0;
    virtual void mnuWebpageClick(QObject* Sender) = 0;
    virtual void JPEGReaderClick(QObject* Sender) = 0;

    // The options dialog at its explorer page (Limited: the settings that cannot
    // change while the window shows full screen are locked).
    virtual void ShowExplorerOptions(bool Limited) = 0;
    // The CD player the image window started is still open; close it.
    virtual bool CdPlayerActive() const = 0;
    virtual void CloseCdPlayer() = 0;

    // The explorer as the image window drives it.
    virtual void btnExploreClick(QObject* Sender) = 0;
    virtual void Explorer_Refresh() = 0;
    virtual void Explorer_UpdateLater() = 0;
};

namespace lumv8900 {
// The image window while it lives; null before it is made and after it is gone.
inline TImageWindowSeam* ImageWindow = nullptr;
}  // namespace lumv8900

}  // namespace lumvor
