// A folder of pictures and a site folder for the web page writers' tests, and
// a page job over them whose thumbnails are the one web page test picture.
#pragma once

#include "explorer/WebPages.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <string>
#include <vector>

namespace lumvor::test {

// The picture every web page test lists: 168 x 126.
inline const std::string WebCellPicture = LUMVOR_FIXTURES "/webpages/cell.jpg";

class WebPageFolders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path().toStdString() + "/";
        pictures_ = root_ + "pictures/";
        site_ = root_ + "site/";
        std::filesystem::create_directories(pictures_);
        std::filesystem::create_directories(site_);
    }

    // A copy of the test picture in the picture folder.
    webpage::TPageFile Picture(const std::string& Name) {
        std::filesystem::copy_file(WebCellPicture, pictures_ + Name,
                                   std::filesystem::copy_options::overwrite_existing);
        return webpage::TPageFile{
            Name, pictures_ + Name, FormatFileSizeText(int64_t(std::filesystem::file_size(pictures_ + Name))), ""};
    }
    std::vector<webpage::TPageFile> Pictures(int Count) {
        std::vector<webpage::TPageFile> files;
        for (int i = 1; i <= Count; ++i) files.push_back(Picture("img" + std::to_string(i) + ".jpg"));
        return files;
    }

    // A job with the default options, titled "Holiday", writing "album.htm"
    // (beside the pictures for an offline catalog, else into the site folder)
    // with its thumbnails in "thumbs".
    webpage::TPageJob BaseJob(webpage::TPageKind Kind, std::vector<webpage::TPageFile> Files) {
        webpage::TPageJob job;
        xplr8900::SetWebDefaults(job.Options, 1);
        job.Kind = Kind;
        job.Title = "Holiday";
        job.ThumbsFolder = "thumbs";
        job.PageFile = (Kind == webpage::TPageKind::OfflineCatalog ? pictures_ : site_) + "album.htm";
        job.MakerAddress = "www.example.com/lumvor";
        job.ThumbCounter = &counter_;
        job.Files = std::move(Files);
        job.LoadThumbnail = [](const webpage::TPageFile&, TBitmap& picture) {
            TJPEGImage jpeg;
            jpeg.LoadFromFile(WebCellPicture);
            jpeg.DecodeInto(picture);
            return true;
        };
        return job;
    }

    QTemporaryDir dir_;
    std::string root_, pictures_, site_;
    uint32_t counter_ = 0;
};

}  // namespace lumvor::test
