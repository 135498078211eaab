#include "album/show8900.h"

#include "state/ImageWindowSeam.h"
#include "state/ViewerState.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "ui/MeOpenDialogEx.h"
#include "platform/Classes.h"
#include "platform/Streams.h"

namespace lumvor {

TShowForm::TShowForm(QWidget* owner) : QMainWindow(owner) {
    setWindowTitle("Slide Album");
    show8900::Album = this;
}

TShowForm::~TShowForm() {
    if (show8900::ShowForm == this)
        show8900::ShowForm = nullptr;
    if (show8900::Album == this)
        show8900::Album = nullptr;
}

TAlbumSeam& show8900::MakeShowForm() {
    if (!ShowForm)
        ShowForm = new TShowForm();
    return *ShowForm;
}

// PENDING: the slide album (slide records, list view, thumbnails); the stand-in counts SlideCount as its list's items and records the calls.
int TShowForm::SlideItemCount() const { return show8900::SlideCount; }

void TShowForm::ShutdownSlides() {
    Calls.push_back("ShutdownSlides");
    show8900::AlbumChanged = false;
}

// PENDING: the album's storage (clearing it, pre-sizing it, loading the finished catalog); only the catalog files and the record stream are handled.
bool TShowForm::PopulateSlides_Begin(int) {
    Calls.push_back("PopulateSlides_Begin");
    std::string stem;
    GetDataFolder(stem);
    stem += lumv8900::TempNameStem;
    CatalogDFile = stem + "._d_";
    CatalogVFile = stem + "._v_";
    CatalogNFile = stem + "._n_";
    CatalogRFile = stem + "._r_";
    CatalogCFile = stem + "._c_";
    show8900::SlideStream = std::make_unique<TFileStream>(CatalogDFile, fmCreate);
    show8900::SlideCount = 0;
    return true;
}

void TShowForm::PopulateSlides_End() {
    Calls.push_back("PopulateSlides_End");
    if (show8900::SlideStream) {
        show8900::SlideCount = int32_t(show8900::SlideStream->Size() / show8900::SlideRecSize);
        show8900::SlideStream.reset();
    }
    show8900::AlbumChanged = true;
}

void TShowForm::PopulateSlides_Clear() {
    Calls.push_back("PopulateSlides_Clear");
    show8900::SlideStream.reset();
    show8900::SlideCount = 0;
}

void TShowForm::InstantSlideshow(TStringList* Files) {
    Calls.push_back("InstantSlideshow");
    InstantFiles.reset(Files);
}

// PENDING: appending the hand-off list's files as slides; the stand-in records the call.
void TShowForm::DoAppend() { Calls.push_back("DoAppend"); }

// PENDING: loading an album (AVL script, catalog, bookmark list); the stand-in records the file it was given.
void TShowForm::btnLoadSClick(QObject*) {
    Calls.push_back("btnLoadSClick" +
                    (lumv8900::ImageWindow ? " " + lumv8900::ImageWindow->SharedOpenDialog().FileName() : std::string()));
}

void TShowForm::Close() {
    Calls.push_back("Close");
    hide();
}

}  // namespace lumvor
