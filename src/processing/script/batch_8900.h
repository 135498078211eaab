// The Lab Script window and the flags of script runs.
//
// The window is a stand-in until the Lab Script window is built: a memo holding
// the recorded script, and a record of the calls made on it.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

class QPlainTextEdit;

namespace lumvor {

class TBatchForm : public QWidget {
public:
    explicit TBatchForm(QWidget* owner = nullptr);
    ~TBatchForm() override;

    QPlainTextEdit* Memo1 = nullptr;
    std::vector<std::string> Calls;

    // Number of lines of the script in the memo.
    int LineCount() const;
    void Show();
    void Close();
};

namespace batch_8900 {

inline TBatchForm* BatchForm = nullptr;
// The Lab Script window exists (made on first use, kept until the end).
inline bool BatchFormActive = false;
// The Lab Script window was activated and not yet left.
inline bool BatchFormOpen = false;
// A Lab script, a batch conversion or a compound editing command runs.
inline bool BatchRunning = false;
// "No &Undo (faster)": a running script keeps no backup.
inline bool NoLabBackup = false;

}  // namespace batch_8900

}  // namespace lumvor
