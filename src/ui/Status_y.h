// The progress box shown while a long run goes on, and the two program-wide flags
// of the long-run protocol.
//
// The box does not drive the run: the loop that runs shows it (ShowStatusForm), sets
// IsBusy, updates its text and bars, lets events through between steps, polls
// CancelPressed and closes the box at the end. Cancel and Escape only set
// CancelPressed; the box stays open until the loop closes it.
//
// GUI thread only.
#pragma once

#include <QDialog>

#include "state/StatusState.h"

#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QFontMetrics;

namespace lumvor {

class TStatusForm;

namespace Status_y {
// The status text painted over the status line.
inline std::string StatusText = "One moment ...";
// Where the last box was when it closed; -1, -1 = none (the next box is centred).
inline int StatusLeft = -1;
inline int StatusTop = -1;
}  // namespace Status_y

// The one status box, or nullptr when none is open.
inline TStatusForm* StatusForm = nullptr;
// A long run with the status box is going on; other long commands refuse to start.
inline std::uint8_t IsBusy = 0;

class TStatusForm : public QDialog {
    Q_OBJECT
public:
    explicit TStatusForm(QWidget* owner = nullptr);
    ~TStatusForm() override;

    QLabel* lblStatus;
    QLabel* lblThumbs;
    QProgressBar* ProgressThumbs;
    QLabel* lblFolder;
    QProgressBar* ProgressFolders;
    QPushButton* btnCancel;

    // Sets the status text (always; empty blanks it) and the two bar labels (only
    // when not empty), then repaints the status line at once.
    void LabelText(const std::string& MainText, const std::string& Label1Text,
                   const std::string& Label2Text);

    // Remembers the place, clears IsBusy and frees the box.
    void Close() { close(); }

    void FormCreate();
    void btnCancelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override {}

private:
    void FormPaint();
};

// Creates the status box with the given window caption and shows it modeless.
void ShowStatusForm(const std::string& Caption);

// Text shortened in its middle so that it fits into Width pixels, keeping as much as
// possible of the part after the last path separator (the file name).
QString PathEllipsis(const QString& Text, const QFontMetrics& Metrics, int Width);

}  // namespace lumvor
