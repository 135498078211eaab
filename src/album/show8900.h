// The slide album window. The slide record and the album's module globals that
// other windows read and write are in state/AlbumState.h.
//
// The window is a stand-in until the album is built: it keeps the commands the
// other windows call, records each call in Calls and holds no slides.
#pragma once

#include <QMainWindow>

#include "state/AlbumSeam.h"
#include "state/AlbumState.h"

#include <memory>
#include <string>
#include <vector>

namespace lumvor {

class TStringList;
class TStream;

class TShowForm : public QMainWindow, public TAlbumSeam {
public:
    explicit TShowForm(QWidget* owner = nullptr);
    ~TShowForm() override;

    // The seam other windows and layers call (state/AlbumSeam.h).
    QMainWindow& Form() override { return *this; }
    int& AlbumTag() override { return Tag; }

    std::vector<std::string> Calls;
    // The list the last InstantSlideshow handed over.
    std::unique_ptr<TStringList> InstantFiles;
    // 1 while the album holds contents that are not to be replaced unasked.
    int Tag = 0;

    // Number of slides in the album's list view.
    int SlideItemCount() const override;
    // Detaches the list view, clears the changed flag, stops thumbnail work and
    // empties the album.
    void ShutdownSlides() override;
    // The bulk fill by a folder listing: Begin names the catalog files of this
    // run, opens SlideStream on the record file and answers true; the lister
    // appends records to SlideStream; End closes it and takes SlideCount from its
    // size; Clear closes it and keeps nothing.
    bool PopulateSlides_Begin(int Flag) override;
    void PopulateSlides_End() override;
    void PopulateSlides_Clear() override;
    // Fills the album with the files of the list (taken over).
    void InstantSlideshow(TStringList* Files) override;
    // Appends one slide per line of the explorer's hand-off list "^_^.vop".
    void DoAppend() override;
    // Loads an album: the file the user picks, or with the application as
    // Sender the file named in the image window's OpenDialogAny.
    void btnLoadSClick(QObject* Sender) override;
    void Close() override;
};

namespace show8900 {

// Created on demand.
inline TShowForm* ShowForm = nullptr;
// ShowForm, made when there is none (the album's maker behind EnsureAlbum).
TAlbumSeam& MakeShowForm();

}  // namespace show8900

}  // namespace lumvor
