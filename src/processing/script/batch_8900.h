// The Lab Script window.
//
// The window is a stand-in until the Lab Script window is built: a memo holding
// the recorded script, and a record of the calls made on it. The flags of script
// runs and the window's pointer (namespace batch_8900) are in LabState.h.
#pragma once

#include <QWidget>

#include "processing/script/LabState.h"

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

}  // namespace lumvor
