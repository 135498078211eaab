#include "processing/script/batch_8900.h"

#include "app/lumv8900.h"

#include <QPlainTextEdit>
#include <QTextDocument>
#include <QVBoxLayout>

namespace lumvor {

TBatchForm::TBatchForm(QWidget* owner) : QWidget(owner, Qt::Window) {
    setWindowTitle("Lab Script");
    Memo1 = new QPlainTextEdit(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    resize(320, 480);
}

TBatchForm::~TBatchForm() {
    if (batch_8900::BatchForm == this) {
        batch_8900::BatchForm = nullptr;
        batch_8900::BatchFormActive = false;
        batch_8900::BatchFormOpen = false;
    }
}

int TBatchForm::LineCount() const {
    return Memo1->toPlainText().isEmpty() ? 0 : Memo1->document()->blockCount();
}

// PENDING: the Lab Script window's menu, script files and runs; the stand-in only shows its memo.
void TBatchForm::Show() {
    Calls.push_back("Show");
    show();
}

void TBatchForm::Close() {
    Calls.push_back("Close");
    hide();
}

void AddLabCommand(const std::string& Line) {
    using batch_8900::BatchForm;
    if (batch_8900::BatchFormOpen && BatchForm && BatchForm->Memo1) {
        BatchForm->Memo1->appendPlainText(QString::fromStdString(Line));
        return;
    }
    lumv8900::LabScript.Add(Line);
}

}  // namespace lumvor
