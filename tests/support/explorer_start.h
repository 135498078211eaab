// A fresh explorer window for tests: the explorer's and the image window's
// globals as at a first start without saved settings, a temporary folder to
// fill, and the window as after its first activation (the path box lists what
// it is given).
#pragma once

#include "app/lumv8900.h"
#include "explorer/FolderListing.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "ui/LookBoxEx.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <string>

#include "support/window_hooks.h"

namespace lumvor::test {

inline void ResetExplorerGlobals() {
    lumv8900::ExplorerSettingsLoaded = false;
    lumv8900::SaveProfile = false;
    lumv8900::ShutDown = false;
    lumv8900::WebForm = nullptr;
    lumv8900::NetPasswordWarned = false;
    xplr8900::EControls = TByteRecord<140>{};
    ExploreDir.clear();
    xplr8900::HistoryList.Clear();
    xplr8900::HistoryIndex = -1;
    DeleteFileNow(xplr8900::HistoryListFile());
}

class ExplorerFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString() + "/";
        ResetExplorerGlobals();
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        savedRuntime = runtime ? runtime : "";
        SetStrictModalRuns(true);
        form = new TFileForm();
        xplr8900::FileForm = form;
        form->Listing->ActivationPending = false;
    }
    void TearDown() override {
        delete form;
        xplr8900::FileForm = nullptr;
        setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
        EXPECT_EQ(UnansweredModalRuns(), 0);
        SetStrictModalRuns(false);
        ResetApplicationHooks();
    }
    // The folder root + name, made with its parents; with a trailing "/".
    std::string Folder(const std::string& name) {
        ForceDirectories(root + name);
        return root + name + "/";
    }
    void Go(const std::string& folder) { form->LookBox->SetFolder(folder); }

    QTemporaryDir dir;
    std::string root;
    std::string savedRuntime;
    TFileForm* form = nullptr;
};

}  // namespace lumvor::test
