// The "JPEG Text" window: shows a JPEG file's EXIF tags and comments, inserts
// the memo's text as a new comment, and strips the comments or every extra
// segment of a file, always after copying the file to ".bak" and without
// re-encoding the picture (the byte work is JpegText's).
//
// One window per run, made on first use (CommentFormCreated) as a top-level
// child of the image window; closing only hides it until the program shuts
// down. Its bounds live in the viewer settings at bytes 16 to 31. GUI thread
// only.
#pragma once

#include "imaging/JpegText.h"
#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "platform/Streams.h"

#include <QLabel>
#include <QMainWindow>

#include <string>

class QMenu;
class QPlainTextEdit;

namespace lumvor {

class TCommentForm;
class TMenuItem;
enum class TJpegStrip;

namespace comment_8900 {
inline TCommentForm* CommentForm = nullptr;
// The file the window works on, the whole file while a command edits it, and
// the lines the last reading found.
inline std::string CommentFileName;
inline TMemoryStream CommentFileBuffer;
inline TStringList CommentTextList;
// Help context of the window.
inline constexpr long CommentHelpContext = 600;
}  // namespace comment_8900

// Where the window goes from its stored bounds (Left, Top, Right, Bottom) on a
// screen of the given size: a size beyond the screen or under 64 pixels becomes
// a quarter of the screen (half its width and half its height), at least
// 320 x 240, centred; otherwise Left and Top below 0 become 0, and a window
// that would reach past the right or bottom edge is centred on that axis.
TRect CommentFormBounds(const TRect& Stored, int ScreenWidth, int ScreenHeight);


// The window's information label: its caption keeps the line breaks it was
// given (LF CR between the parts, CR LF from the information box) and shows
// each pair as one line break.
class TLabelData : public QLabel {
public:
    explicit TLabelData(QWidget* parent);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& Caption);

private:
    std::string caption_;
};

class TCommentForm : public QMainWindow {
public:
    explicit TCommentForm(QWidget* owner);
    ~TCommentForm() override;

    QPlainTextEdit* Memo1 = nullptr;
    TLabelData* LabelData = nullptr;
    TMenuItem* mnuRead = nullptr;
    TMenuItem* mnuAddComments = nullptr;
    QMenu* Strip1 = nullptr;
    TMenuItem* mnuStripALL = nullptr;
    TMenuItem* mnuStripCOM = nullptr;
    TMenuItem* Exit1 = nullptr;
    TMenuItem* mnuHelp = nullptr;

    // Reads a ".JPG"/".JPEG" file's EXIF lines and comments into the memo and
    // CommentTextList (saved to ListFile when one is named); the caption becomes
    // the lower-case file name. True when an EXIF block or a comment was found;
    // false, with nothing changed, for other extensions. Raises EFOpenError when
    // the file cannot be read and EInvalidGraphic when it does not start with
    // the JPEG start-of-image marker.
    bool ReadJpegText(const std::string& FileName, const std::string& ListFile);
    // The "&Read" command (FileName "": the file is chosen in the open dialog)
    // and the image window's reading of its current file: the memo, then
    // LabelData with size, date and view of the file.
    void LoadJpegText(const std::string& FileName);
    // Picks a JPEG file with the image window's open dialog; it becomes
    // CommentFileName. False when cancelled.
    bool SelectJPEGFile(const std::string& Title);
    // Copies CommentFileName to the same name with ".bak", asking before it
    // replaces an older copy. False when refused or failed.
    bool MakeBackupCopy();
    // Drops the bytes in front of the JPEG data of CommentFileBuffer; true
    // when some were dropped.
    bool TrimBeforeJFIF();

    void FormCreate();
    void FormActivate();
    // Unless the program shuts down the window is only hidden; its bounds are
    // stored either way.
    void FormCloseQuery(bool& CanClose);
    void FormClose();
    void FormKeyUp(int& Key);
    void Exit1Click();
    void mnuHelpClick();
    void mnuReadClick();
    void mnuStripCOMClick();
    void mnuStripALLClick();
    void mnuAddCommentsClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenu();
    // Loads CommentFileName and trims it; false (after the error box) when it
    // cannot be loaded or holds no JPEG start.
    bool LoadCommentFile();
    // Writes bytes over CommentFileName (through a temporary file).
    void WriteCommentFile(const std::vector<uint8_t>& Bytes);
    void StripCommand(TJpegStrip Kind, const std::string& Title, const std::string& NoneText,
                      const std::string& RemovedText);
    // The open dialog's picture size, when its preview belongs to the file.
    std::string PreviewViewText(const std::string& FileName) const;
};

}  // namespace lumvor
