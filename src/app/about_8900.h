// The about box: a small modal window with the program's name and the
// acknowledgements of the libraries it is built on.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace lumvor {

class TAboutForm : public QDialog {
public:
    explicit TAboutForm(QWidget* owner = nullptr);

    QPlainTextEdit* About = nullptr;
    QPushButton* btnExit = nullptr;

    void FormCreate();
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;
};

// Creates the about box, shows it modally and frees it.
void ExecuteAboutForm();

}  // namespace lumvor
