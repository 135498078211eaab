// The slide album window and the album's module globals that other windows read
// and write.
//
// The window is a stand-in until the album is built: it keeps the commands the
// other windows call, records each call in Calls and holds no slides.
#pragma once

#include <QMainWindow>

#include <cstdint>
#include <string>
#include <vector>

namespace lumvor {

class TStringList;

class TShowForm : public QMainWindow {
public:
    explicit TShowForm(QWidget* owner = nullptr);
    ~TShowForm() override;

    std::vector<std::string> Calls;

    // Number of slides in the album's list view.
    int SlideItemCount() const;
    // Detaches the list view, clears the changed flag, stops thumbnail work and
    // empties the album.
    void ShutdownSlides();
    bool PopulateSlides_Begin(int Flag);
    void PopulateSlides_End();
    void PopulateSlides_Clear();
    // Fills the album with the files of the list (taken over).
    void InstantSlideshow(TStringList* Files);
    void Close();
};

namespace show8900 {

// Created on demand.
inline TShowForm* ShowForm = nullptr;
inline bool ShowFormActive = false;
// The album's contents changed since it was last saved.
inline bool AlbumChanged = false;
// The album's run command started the current slide show.
inline bool AlbumSlideshow = false;
inline int32_t SlideCount = 0;
// The album's thumbnail cache folder ("" until first used).
inline std::string ThumbPath;

}  // namespace show8900

}  // namespace lumvor
