// What the explorer and the other windows call on the zip window. The zip
// window implements this under its own member names and registers itself as
// Unzip_8900::ZipWindow while it lives; EnsureZipWindow makes the window when
// none exists (the program start registers how).
#pragma once

#include <string>

class QMainWindow;

namespace lumvor {

class TZipWindowSeam {
public:
    virtual ~TZipWindowSeam() = default;

    // The window itself, to show, hide, place or close it.
    virtual QMainWindow& Form() = 0;
    // Lists the archive's entries in the window.
    virtual void Populate(const std::string& ArchivePath) = 0;
};

namespace Unzip_8900 {
// The zip window while it lives; null before it is made and after it is gone.
inline TZipWindowSeam* ZipWindow = nullptr;
// Makes the zip window when there is none and gives it (registered at start).
inline TZipWindowSeam& (*ZipWindowMaker)() = nullptr;
// The zip window, made through ZipWindowMaker when there is none.
TZipWindowSeam& EnsureZipWindow();
}  // namespace Unzip_8900

}  // namespace lumvor
