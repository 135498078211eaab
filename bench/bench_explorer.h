// The frame of the benchmarks that drive the explorer alone: its window shown
// on a folder with the first-start settings in a 1000 x 700 frame, as after
// its first activation.
#pragma once

#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"

#include <QRect>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

namespace lumvor::bench {

// ListView is the settings record's view value (1 list, 2 details, 3 icons).
inline TFileForm* StartExplorer(const std::string& folder, int listView) {
    lumv8900::ExplorerSettingsLoaded = true;
    lumv8900::SaveProfile = false;
    xplr8900::SetExplorerDefaults(1280, 9);
    xplr8900::TExplorerControls(xplr8900::EControls).SetBounds(QRect(40, 30, 1000, 700));
    xplr8900::TExplorerControls(xplr8900::EControls).SetListView(listView);
    ExploreDir = folder;
    xplr8900::FileForm = new TFileForm();
    xplr8900::FileForm->show();
    xplr8900::FileForm->FormActivate();
    return xplr8900::FileForm;
}

// Points the program's home at the fresh temporary folder Home (and Qt at the
// offscreen platform unless QT_QPA_PLATFORM says otherwise); false when Home
// could not be made.
inline bool UseBenchHome(const QTemporaryDir& Home) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!Home.isValid())
        return false;
    qputenv("LUMVOR_HOME", Home.path().toLocal8Bit());
    return true;
}

// Runs the registered benchmarks, then frees the explorer StartExplorer made.
inline int RunBenchmarksWithExplorer(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete xplr8900::FileForm;
    xplr8900::FileForm = nullptr;
    return 0;
}

}  // namespace lumvor::bench
