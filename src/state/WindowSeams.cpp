#include "state/AlbumSeam.h"
#include "state/ZipWindowSeam.h"

#include <stdexcept>

namespace lumvor {

namespace {

template <class TSeam>
TSeam& Made(TSeam* Alive, TSeam& (*Maker)(), const char* What) {
    if (Alive) return *Alive;
    if (!Maker) throw std::logic_error(std::string("no maker registered for the ") + What);
    return Maker();
}

}  // namespace

TAlbumSeam& show8900::EnsureAlbum() { return Made(Album, AlbumMaker, "slide album"); }

TZipWindowSeam& Unzip_8900::EnsureZipWindow() { return Made(ZipWindow, ZipWindowMaker, "zip window"); }

}  // namespace lumvor
