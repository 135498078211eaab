// A test fixture with a fresh picture folder as the explored folder and its
// own thumbnail cache folder, both in a temporary folder; network places off.
#pragma once

#include "app/lumv8900.h"
#include "explorer/xplr8900.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

namespace lumvor::test {

class PictureFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        folder_ = dir_.path().toStdString() + "/pictures/";
        ASSERT_EQ(::mkdir(folder_.c_str(), 0777), 0);
        lumv8900::ThumbCacheDir = dir_.path().toStdString() + "/cache/";
        ASSERT_EQ(::mkdir(lumv8900::ThumbCacheDir.c_str(), 0777), 0);
        ExploreDir = folder_;
        xplr8900::EControls.SetByte(xplr8900::ec::NetworkSupport, 0);
    }

    QTemporaryDir dir_;
    std::string folder_;
};

}  // namespace lumvor::test
