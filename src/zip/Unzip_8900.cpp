#include "zip/Unzip_8900.h"

namespace lumvor {

TUnZipForm::TUnZipForm(QWidget* owner) : QMainWindow(owner) {
    setWindowTitle("Lumvor 8.9 UnZipper");
    Unzip_8900::UnZipFormCreated = true;
}

TUnZipForm::~TUnZipForm() {
    if (Unzip_8900::UnZipForm == this)
        Unzip_8900::UnZipForm = nullptr;
    Unzip_8900::UnZipFormCreated = false;
}

// PENDING: the zip window (archive list, entries, extraction); the stand-in records the archive.
void TUnZipForm::Populate(const std::string& ArchiveName) { Calls.push_back("Populate " + ArchiveName); }

}  // namespace lumvor
