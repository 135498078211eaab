// The file dialogs, driven through the modal hook and the dialog's own view.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

#include "imgman/imgman.h"
#include "platform/Forms.h"
#include "ui/MeOpenDialogEx.h"
#include "ui/MeSaveDialogEx.h"
#include "ui/OpenDialogPlus.h"
#include "ui/SaveDialogEx.h"

using namespace lumvor;

namespace {

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

// A folder of copies of fixtures under chosen names.
class Folder {
public:
    std::string Add(const std::string& fixture, const std::string& name) {
        const QString target = dir_.filePath(QString::fromStdString(name));
        EXPECT_TRUE(QFile::copy(QString::fromStdString(Fixture(fixture)), target)) << fixture;
        return target.toStdString();
    }
    std::string Path() const { return dir_.path().toStdString(); }

private:
    QTemporaryDir dir_;
};

QAbstractItemView* ListView(QDialog& d) { return d.findChild<QAbstractItemView*>("listView"); }

// Makes path the current item of the dialog's file list, as a click does.
void SelectInView(QDialog& d, const std::string& path) {
    QAbstractItemView* view = ListView(d);
    ASSERT_NE(view, nullptr);
    auto* model = qobject_cast<QFileSystemModel*>(view->model());
    ASSERT_NE(model, nullptr);
    const QModelIndex index = model->index(QString::fromStdString(path));
    ASSERT_TRUE(index.isValid()) << path;
    view->setCurrentIndex(index);
}

void Close(QDialog& d) { d.reject(); }

// Runs dialog.Execute() with one action on the shown dialog.
template <class Dialog>
bool RunWith(Dialog& dialog, std::function<void(QDialog&)> action) {
    QueueModalAction([action](QDialog& d) {
        action(d);
        if (d.isVisible())
            Close(d);
    });
    const bool result = dialog.Execute();
    EXPECT_EQ(QueuedModalAnswers(), 0);
    ClearModalAnswers();
    return result;
}

struct PreviewCase {
    std::string fixture;
    std::string name;
    std::string label;  // size and depth as the preview states them
    int bitsPixel;      // ImageBitsPixel after the preview
};

}  // namespace

// Each supported format shows its size and depth and a preview; the sizes and
// depths are those file(1) and identify report for the fixtures.
TEST(OpenDialogPlus, SelectionShowsSizeDepthAndPreview) {
    const std::vector<PreviewCase> cases = {
        {"jpeg/baseline_420.jpg", "a.jpg", "70x46 (24bpp)", 24},
        {"jpeg/grey.jpg", "grey.jpg", "70x46 (8bpp)", 8},
        // Four-letter extensions name the file itself.
        {"jpeg/baseline_420.jpg", "photo.jpeg", "70x46 (24bpp)", 24},
        {"tiff/rgb_none.tif", "scan.tiff", "13x7 (24bpp)", 24},
        {"tiff/pal4.tif", "pal4.tif", "13x7 (4bpp)", 4},
        {"tiff/rgb_lzw.tif", "lzw.tif", "13x7 (24bpp)", 24},
        {"png/rgb8.png", "rgb8.png", "13x7 (24bpp)", 24},
        {"png/pal4.png", "pal4.png", "13x7 (4bpp)", 4},
        {"bitmaps/win24.bmp", "win24.bmp", "13x7 (24bpp)", 24},
        {"bitmaps/win8.bmp", "win8.dib", "13x7 (8bpp)", 8},
        {"bitmaps/pcx8.pcx", "pcx8.pcx", "13x7 (8bpp)", 8},
        {"bitmaps/tga24.tga", "tga24.tga", "13x7 (24bpp)", 24},
        {"psd/rgb_rle.psd", "rgb.psd", "23x17 (24bpp)", 24},
        {"psd/indexed_rle.psd", "indexed.psd", "23x17 (8bpp)", 8},
        {"imgman/three.dcx", "three.dcx", "31x23 (8bpp)", 8},
        // GIF depths: 1 bit stays, 3 and 4 bits show as 4, more as 8.
        {"dialogs/two_colour.gif", "two.gif", "8x6 (1bpp)", 8},
        {"dialogs/eight_colour.gif", "eight.gif", "16x8 (4bpp)", 8},
        {"dialogs/sixteen_colour.gif", "sixteen.gif", "8x6 (4bpp)", 8},
        {"gif/plasma256.gif", "plasma.gif", "96x64 (8bpp)", 8},
        // Black-and-white pages are previewed from a reduced grey copy.
        {"imgman/g4_3pages.tif", "fax.tif", "67x45 (1bpp)", -1},
        {"pcd/img0001.pcd", "img0001.pcd", "768x512 base", -1},
    };
    Folder folder;
    for (const PreviewCase& c : cases)
        folder.Add(c.fixture, c.name);
    for (const PreviewCase& c : cases) {
        SCOPED_TRACE(c.name);
        TOpenDialogPlus dialog;
        dialog.Filter = "All files|*.*";
        dialog.SetInitialDir(folder.Path());
        const std::string path = folder.Path() + "/" + c.name;
        std::string label;
        bool previewShown = false;
        RunWith(dialog, [&](QDialog& d) {
            SelectInView(d, path);
            label = d.findChild<QLabel*>("PictureLabel")->text().toStdString();
            previewShown = dialog.ImageBitmap() != nullptr;
        });
        EXPECT_EQ(label, c.label);
        EXPECT_TRUE(previewShown);
        EXPECT_EQ(dialog.ImageFilename(), path);
        EXPECT_EQ(dialog.ImageBitsPixel(), c.bitsPixel);
        ASSERT_NE(dialog.ImageBitmap(), nullptr);
        // The preview keeps the picture's shape inside the box.
        const TBitmap& preview = *dialog.ImageBitmap();
        EXPECT_LE(preview.Width(), OpenDialogPlus::BoxWidth);
        EXPECT_LE(preview.Height(), OpenDialogPlus::BoxHeight);
        // Photo CD and DCX previews are not handed over as the picture itself.
        const bool handedOver = c.name != "img0001.pcd" && c.name != "three.dcx";
        EXPECT_EQ(dialog.ImagePreload(), handedOver);
        if (c.name != "img0001.pcd") {
            const double shape = double(dialog.ImageWidth()) / dialog.ImageHeight();
            EXPECT_NEAR(double(preview.Width()) / preview.Height(), shape, 0.1 * shape);
        }
        if (c.name.find(".jp") == std::string::npos) {
            EXPECT_NE(dialog.ImageManHandle(), 0);
        }
        if (dialog.ImageManHandle())
            ImgClose(dialog.ImageManHandle());
    }
}

// The preview's colours: the middle of the fitted rose matches ImageMagick's own reading.
TEST(OpenDialogPlus, PreviewPixelsFollowThePicture) {
    Folder folder;
    const std::string path = folder.Add("bitmaps/win24.bmp", "win24.bmp");
    TOpenDialogPlus dialog;
    dialog.SetInitialDir(folder.Path());
    RunWith(dialog, [&](QDialog& d) { SelectInView(d, path); });
    ASSERT_NE(dialog.ImageBitmap(), nullptr);
    const QImage preview = dialog.ImageBitmap()->ToQImage().convertToFormat(QImage::Format_RGB32);
    const QImage source(QString::fromStdString(Fixture("bitmaps/win24.bmp")));
    ASSERT_FALSE(source.isNull());
    // Nearest-neighbour copy: each preview pixel is one of the source's pixels.
    for (int y = 0; y < preview.height(); y += 7)
        for (int x = 0; x < preview.width(); x += 7) {
            // The sample is taken at the start or the centre of the preview pixel.
            const int sx = x * source.width() / preview.width();
            const int sy = y * source.height() / preview.height();
            const int cx = (2 * x + 1) * source.width() / (2 * preview.width());
            const int cy = (2 * y + 1) * source.height() / (2 * preview.height());
            const QRgb got = preview.pixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(got == (source.pixel(sx, sy) & 0xFFFFFF) || got == (source.pixel(cx, cy) & 0xFFFFFF))
                << x << "," << y;
        }
}

TEST(OpenDialogPlus, UnreadableFilesShowTheIconAndADash) {
    Folder folder;
    const std::string good = folder.Add("bitmaps/win24.bmp", "good.bmp");
    const std::string broken = folder.Add("dialogs/broken.jpg", "broken.jpg");
    const std::string text = folder.Add("lines-lf-utf8.txt", "notes.txt");
    for (const std::string& bad : {broken, text}) {
        SCOPED_TRACE(bad);
        TOpenDialogPlus dialog;
        dialog.Filter = "All files|*.*";
        dialog.SetInitialDir(folder.Path());
        std::string label = "unset";
        bool buttonEnabled = true;
        RunWith(dialog, [&](QDialog& d) {
            SelectInView(d, good);
            SelectInView(d, bad);
            label = d.findChild<QLabel*>("PictureLabel")->text().toStdString();
            buttonEnabled = dialog.PreviewButton->isEnabled();
        });
        EXPECT_EQ(label, "");
        EXPECT_FALSE(buttonEnabled);
        EXPECT_EQ(dialog.ImageFilename(), "-");
        EXPECT_FALSE(dialog.ImagePreload());
        ASSERT_NE(dialog.ImageBitmap(), nullptr);
        EXPECT_EQ(dialog.ImageBitmap()->Width(), 64);
        EXPECT_EQ(dialog.ImageWidth(), 64);
        if (dialog.ImageManHandle())
            ImgClose(dialog.ImageManHandle());
    }
}

// A large true-colour picture waits for a click; a large JPEG is decoded at
// one eighth to fill a small box.
TEST(OpenDialogPlus, LargePicturesWaitForAClickAndJpegIsDecodedReduced) {
    Folder folder;
    const std::string big = folder.Add("dialogs/big_rgb.tif", "big.tif");
    const std::string jpeg = folder.Add("jpeg/big_4000x3000.jpg", "big.jpg");
    TOpenDialogPlus dialog;
    dialog.SetInitialDir(folder.Path());
    bool emptyBeforeClick = false;
    std::string label;
    int clickedWidth = 0;
    int jpegWidth = 0, jpegHeight = 0;
    RunWith(dialog, [&](QDialog& d) {
        SelectInView(d, big);
        label = d.findChild<QLabel*>("PictureLabel")->text().toStdString();
        emptyBeforeClick = dialog.ImageBitmap() == nullptr;
        QTest::mouseClick(dialog.PaintBox, Qt::LeftButton);
        clickedWidth = dialog.ImageBitmap() ? dialog.ImageBitmap()->Width() : 0;
        SelectInView(d, jpeg);
        if (dialog.ImageBitmap()) {
            jpegWidth = dialog.ImageBitmap()->Width();
            jpegHeight = dialog.ImageBitmap()->Height();
        }
    });
    EXPECT_EQ(label, "3000x2000 (24bpp)");
    EXPECT_TRUE(emptyBeforeClick);
    EXPECT_GT(clickedWidth, 0);
    EXPECT_LE(clickedWidth, OpenDialogPlus::BoxWidth);
    // The grey JPEG is 8 bits deep, so it is previewed at once.
    ASSERT_LT(OpenDialogPlus::BoxWidth, 250);
    ASSERT_LT(OpenDialogPlus::BoxHeight, 375);
    EXPECT_EQ(jpegWidth, 500);
    EXPECT_EQ(jpegHeight, 375);
    EXPECT_EQ(dialog.ImageFilename(), jpeg);
    EXPECT_TRUE(dialog.ImagePreload());
    ASSERT_NE(dialog.ImageJPEG(), nullptr);
    if (dialog.ImageManHandle())
        ImgClose(dialog.ImageManHandle());
}

TEST(OpenDialogPlus, RefusedPhotoCdNameAndFlashpixOffShowTheIcon) {
    Folder folder;
    const std::string pcd = folder.Add("pcd/img0001.pcd", "holiday.pcd");
    const std::string fpx = folder.Add("bitmaps/win24.bmp", "picture.fpx");
    for (const std::string& name : {pcd, fpx}) {
        TOpenDialogPlus dialog;
        dialog.AllowFlashpix = false;
        dialog.SetInitialDir(folder.Path());
        RunWith(dialog, [&](QDialog& d) { SelectInView(d, name); });
        EXPECT_EQ(dialog.ImageFilename(), "-") << name;
        ASSERT_NE(dialog.ImageBitmap(), nullptr);
        EXPECT_EQ(dialog.ImageBitmap()->Width(), 64);
    }
}

TEST(OpenDialogPlus, RecentEndsWithFalseAndTheNextRunStartsClear) {
    TOpenDialogPlus dialog;
    EXPECT_FALSE(RunWith(dialog, [&](QDialog&) { dialog.FRecent()->click(); }));
    EXPECT_TRUE(dialog.ExecuteRecent);
    EXPECT_FALSE(RunWith(dialog, Close));
    EXPECT_FALSE(dialog.ExecuteRecent);
}

TEST(OpenDialogPlus, OpenReturnsTheSelectedFile) {
    Folder folder;
    const std::string path = folder.Add("png/rgb8.png", "rgb8.png");
    TOpenDialogPlus dialog;
    dialog.Filter = "PNG files|*.png|All files|*.*";
    dialog.SetInitialDir(folder.Path() + "/");
    EXPECT_EQ(dialog.InitialDir(), folder.Path());
    EXPECT_TRUE(RunWith(dialog, [&](QDialog& d) {
        SelectInView(d, path);
        static_cast<QDialog&>(d).accept();
    }));
    EXPECT_EQ(dialog.FileName(), path);
    EXPECT_EQ(dialog.Files.Count(), 1);
    EXPECT_EQ(dialog.FilterIndex(), 1);
    EXPECT_TRUE(dialog.ImagePreload());
    EXPECT_EQ(dialog.ImageWidth(), 13);
    if (dialog.ImageManHandle())
        ImgClose(dialog.ImageManHandle());
}

TEST(FileDialogs, InitialDirDropsOneTrailingDelimiter) {
    TMeOpenDialogEx dialog;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/home/user/", "/home/user"}, {"/", "/"}, {"C:\\", "C:\\"}, {"C:\\x\\", "C:\\x"}, {"/a", "/a"}};
    for (const auto& [in, out] : cases) {
        dialog.SetInitialDir(in);
        EXPECT_EQ(dialog.InitialDir(), out) << in;
    }
}

// Files follow the order of the file-name box: first the item selected first.
TEST(FileDialogs, MultiSelectionKeepsTheOrder) {
    Folder folder;
    const std::string a = folder.Add("jpeg/baseline_420.jpg", "a.jpg");
    const std::string b = folder.Add("png/rgb8.png", "b.png");
    for (const auto& order : {std::vector<std::string>{a, b}, std::vector<std::string>{b, a}}) {
        TMeOpenDialogEx dialog;
        dialog.Options |= ofAllowMultiSelect | ofFileMustExist;
        dialog.SetInitialDir(folder.Path());
        EXPECT_TRUE(RunWith(dialog, [&](QDialog& d) {
            QAbstractItemView* view = ListView(d);
            auto* model = qobject_cast<QFileSystemModel*>(view->model());
            for (const std::string& name : order)
                view->selectionModel()->select(model->index(QString::fromStdString(name)),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
            static_cast<QDialog&>(d).accept();
        }));
        ASSERT_EQ(dialog.Files.Count(), 2);
        EXPECT_EQ(dialog.Files[0], order[0]);
        EXPECT_EQ(dialog.Files[1], order[1]);
        EXPECT_EQ(dialog.FileName(), order[0]);
    }
}

TEST(FileDialogs, RefusingToCloseKeepsTheDialogOpenWithNoFiles) {
    Folder folder;
    const std::string a = folder.Add("png/rgb8.png", "a.png");
    TMeOpenDialogEx dialog;
    dialog.SetInitialDir(folder.Path());
    int asked = 0;
    std::string nameWhenAsked;
    dialog.OnCanClose = [&](QObject*, bool& canClose) {
        ++asked;
        nameWhenAsked = dialog.FileName();
        canClose = false;
    };
    bool stillOpen = false;
    int filesAfter = -1;
    EXPECT_FALSE(RunWith(dialog, [&](QDialog& d) {
        SelectInView(d, a);
        static_cast<QDialog&>(d).accept();
        stillOpen = d.isVisible();
        filesAfter = dialog.Files.Count();
    }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(nameWhenAsked, a);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(filesAfter, 0);
}

TEST(FileDialogs, TypeChangeOnlyForANewFilterAndRecentOnSaveDialogs) {
    TMeSaveDialogEx dialog;
    dialog.Filter = "Lists|*.lst|Text|*.txt";
    int changes = 0;
    dialog.OnTypeChange = [&](QObject*) { ++changes; };
    EXPECT_FALSE(RunWith(dialog, [&](QDialog& d) {
        auto* combo = d.findChild<QComboBox*>("fileTypeCombo");
        // The filter that is already current raises nothing.
        emit combo->textActivated(combo->itemText(0));
        QTest::keyClick(combo, Qt::Key_Down);
        dialog.FRecent()->click();
    }));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(dialog.ExecuteRecent);
    EXPECT_EQ(dialog.FilterIndex(), 1);  // a cancelled run keeps the stored index
}

TEST(FileDialogs, FolderChangeEmptiesAShortcutName) {
    Folder folder;
    QDir(QString::fromStdString(folder.Path())).mkdir("sub");
    TMeSaveDialogEx dialog;
    dialog.SetInitialDir(folder.Path());
    std::string nameAfter = "unset";
    RunWith(dialog, [&](QDialog& d) {
        auto* edit = d.findChild<QLineEdit*>("fileNameEdit");
        edit->setText("Holiday.LNK");
        // A double click on the folder.
        QAbstractItemView* view = ListView(d);
        auto* model = qobject_cast<QFileSystemModel*>(view->model());
        emit view->activated(model->index(QString::fromStdString(folder.Path() + "/sub")));
        nameAfter = edit->text().toStdString();
    });
    EXPECT_EQ(nameAfter, "");
}

namespace {

// The owner's part of a type change: the chosen filter's extension.
void FollowFilter(TSaveDialogEx& dialog) {
    dialog.OnTypeChange = [&dialog](QObject*) {
        static const char* const exts[] = {"png", "jpg", "bmp"};
        dialog.HiddenDefaultExt = exts[(dialog.FilterIndex() - 1) % 3];
    };
}

}  // namespace

TEST(SaveDialogEx, TypeShowsCompressionControlsAndQualityReachesTheCaller) {
    Folder folder;
    TSaveDialogEx dialog;
    dialog.Filter = "PNG|*.png|JPEG|*.jpg|BMP|*.bmp";
    dialog.SetFilterIndex(1);
    dialog.HiddenDefaultExt = "png";
    dialog.EnableScrollbar = true;
    dialog.EnableProgressive = true;
    dialog.CanUseWizard = true;
    dialog.SetInitialDir(folder.Path());
    FollowFilter(dialog);
    struct Seen {
        bool compress, scroll, progressive;
    };
    std::vector<Seen> seen;
    std::string caption;
    auto look = [&] {
        seen.push_back({dialog.FCompress->isVisible(), dialog.JPEGscroll->isVisible(), dialog.CheckPJpeg->isEnabled()});
    };
    EXPECT_TRUE(RunWith(dialog, [&](QDialog& d) {
        auto* combo = d.findChild<QComboBox*>("fileTypeCombo");
        QTest::keyClick(combo, Qt::Key_Down);  // JPEG
        look();
        QTest::keyClick(combo, Qt::Key_Up);  // PNG
        look();
        QTest::keyClick(combo, Qt::Key_Down);
        QTest::keyClick(combo, Qt::Key_Down);  // BMP
        look();
        QTest::keyClick(combo, Qt::Key_Up);  // JPEG again
        look();
        dialog.JPEGscroll->setValue(80);
        caption = dialog.FCompress->text().toStdString();
        dialog.CheckPJpeg->setChecked(false);
        d.findChild<QLineEdit*>("fileNameEdit")->setText("out.jpg");
        static_cast<QDialog&>(d).accept();
    }));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(seen[0].compress && seen[0].scroll && seen[0].progressive);
    EXPECT_TRUE(!seen[1].compress && !seen[1].scroll && seen[1].progressive);
    EXPECT_TRUE(!seen[2].compress && !seen[2].scroll && !seen[2].progressive);
    EXPECT_TRUE(seen[3].compress && seen[3].scroll);
    EXPECT_EQ(caption, "Compress: 80");
    EXPECT_EQ(dialog.CompressQuality(), 80);
    EXPECT_EQ(dialog.Progressive(), 0);
    EXPECT_EQ(dialog.FilterIndex(), 2);
    EXPECT_EQ(dialog.FileName(), folder.Path() + "/out.jpg");
    EXPECT_FALSE(dialog.WizardSelected);

    // The settings stay for the next run, and the button hands over to the wizard.
    std::string shownCaption;
    EXPECT_FALSE(RunWith(dialog, [&](QDialog&) {
        shownCaption = dialog.FCompress->text().toStdString();
        dialog.FCompress->click();
    }));
    EXPECT_EQ(shownCaption, "Compress: 80");
    EXPECT_TRUE(dialog.WizardSelected);
    EXPECT_FALSE(dialog.ExecuteRecent);
}

TEST(SaveDialogEx, HtmlShowsEverythingAndCompressDoesNothing) {
    TSaveDialogEx dialog;
    dialog.HTML = true;
    dialog.CanUseWizard = true;
    dialog.SetCompressQuality(150);
    EXPECT_EQ(dialog.CompressQuality(), 99);
    bool allShown = false;
    bool stillOpen = false;
    EXPECT_FALSE(RunWith(dialog, [&](QDialog& d) {
        allShown = dialog.FCompress->isVisible() && dialog.JPEGscroll->isVisible() && dialog.CheckPJpeg->isEnabled() &&
                   dialog.FCompress->toolTip().isEmpty();
        dialog.FCompress->click();
        stillOpen = d.isVisible();
    }));
    EXPECT_TRUE(allShown);
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(dialog.WizardSelected);
}
