#include "album/show8900.h"

#include "platform/Classes.h"

namespace lumvor {

TShowForm::TShowForm(QWidget* owner) : QMainWindow(owner) { setWindowTitle("Slide Album"); }

TShowForm::~TShowForm() {
    if (show8900::ShowForm == this)
        show8900::ShowForm = nullptr;
}

// PENDING: the slide album (slide records, list view, thumbnails); the stand-in holds no slides and records the calls.
int TShowForm::SlideItemCount() const { return 0; }

void TShowForm::ShutdownSlides() {
    Calls.push_back("ShutdownSlides");
    show8900::AlbumChanged = false;
}

bool TShowForm::PopulateSlides_Begin(int) {
    Calls.push_back("PopulateSlides_Begin");
    return false;
}

void TShowForm::PopulateSlides_End() { Calls.push_back("PopulateSlides_End"); }
void TShowForm::PopulateSlides_Clear() { Calls.push_back("PopulateSlides_Clear"); }

void TShowForm::InstantSlideshow(TStringList* Files) {
    Calls.push_back("InstantSlideshow");
    delete Files;
}

void TShowForm::Close() {
    Calls.push_back("Close");
    hide();
}

}  // namespace lumvor
