// What the explorer, the folder picker and the other windows call on the slide
// album. The album window implements this under its own member names and
// registers itself as show8900::Album while it lives; EnsureAlbum makes the
// window when none exists (the program start registers how).
#pragma once

#include <string>

class QMainWindow;
class QObject;

namespace lumvor {

class TStringList;

class TAlbumSeam {
public:
    virtual ~TAlbumSeam() = default;

    // The window itself, to show, hide, raise, enable or close it.
    virtual QMainWindow& Form() = 0;
    // 1 while the album holds contents that are not to be replaced unasked.
    virtual int& AlbumTag() = 0;

    virtual int SlideItemCount() const = 0;
    virtual void ShutdownSlides() = 0;
    virtual bool PopulateSlides_Begin(int Flag) = 0;
    virtual void PopulateSlides_End() = 0;
    virtual void PopulateSlides_Clear() = 0;
    virtual void InstantSlideshow(TStringList* Files) = 0;
    virtual void DoAppend() = 0;
    virtual void btnLoadSClick(QObject* Sender) = 0;
    virtual void Close() = 0;
};

namespace show8900 {
// The album window while it lives; null before it is made and after it is gone.
inline TAlbumSeam* Album = nullptr;
// Makes the album window when there is none and gives it (registered at start).
inline TAlbumSeam& (*AlbumMaker)() = nullptr;
// The album window, made through AlbumMaker when there is none.
TAlbumSeam& EnsureAlbum();
}  // namespace show8900

}  // namespace lumvor
