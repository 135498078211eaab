#include "app/about_8900.h"

#include "app/lumv8900.h"
#include "platform/Forms.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumvor {

TAboutForm::TAboutForm(QWidget* owner) : QDialog(owner) {
    setWindowTitle("About");
    About = new QPlainTextEdit(this);
    About->setReadOnly(true);
    btnExit = new QPushButton(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(About, 1);
    layout->addWidget(btnExit, 0, Qt::AlignRight);
    resize(420, 220);
    connect(btnExit, &QPushButton::clicked, this, [this] { done(mrOk); });
    FormCreate();
}

void TAboutForm::FormCreate() {
    QFont regular("MS Sans Serif");
    regular.setBold(false);
    regular.setItalic(false);
    setFont(regular);
}

void TAboutForm::FormActivate() {
    btnExit->setText("&Ok");
    About->setPlainText(QString::fromStdString(
        std::string(lumv8900::AppVersionName) + "\n\n" +
        "This software is based in part on the work of the Independent JPEG Group.\n" +
        "This program uses the Qt toolkit (Qt " + qVersion() + "), licensed under the GNU LGPL version 3."));
}

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void ExecuteAboutForm() {
    TAboutForm form(lumv8900::WebForm);
    ExecModal(form);
}

}  // namespace lumvor
