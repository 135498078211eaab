// The zip window.
//
// A stand-in until the zip window is built: it records the archives handed to
// it.
#pragma once

#include <QMainWindow>

#include <string>
#include <vector>

namespace lumvor {

class TUnZipForm : public QMainWindow {
public:
    explicit TUnZipForm(QWidget* owner = nullptr);
    ~TUnZipForm() override;

    std::vector<std::string> Calls;

    // Fills the window with the pictures of the archive.
    void Populate(const std::string& ArchiveName);
};

namespace Unzip_8900 {
// Created on demand.
inline TUnZipForm* UnZipForm = nullptr;
inline bool UnZipFormCreated = false;
}  // namespace Unzip_8900

}  // namespace lumvor
