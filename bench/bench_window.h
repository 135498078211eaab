// The frame of the benchmarks that drive the image window: a temporary folder
// as the program's home holding a freshly written 24-megapixel JPEG, the
// application object, the benchmark run, and the windows freed at the end.
#pragma once

#include "state/ViewerSettings.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "platform/Menus.h"
#include "ui/Pix.h"

#include "../tests/support/settings_records.h"
#include "bench_pictures.h"
#include "bench_tools.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace lumvor::bench {

// Runs command once per iteration; a failing command ends the benchmark with an error.
inline void RunCommand(benchmark::State& state, const std::string& command) {
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            break;
        }
}

// Starts the program with the default viewer settings written into folder:
// the image window and the explorer; false when it would not start.
inline bool StartProgram(const std::string& folder) {
    lumv8900::ViewerControls = TViewerControls{};
    SetViewerDefaults(lumv8900::ViewerControls, 3);
    test::WriteSettingsRecords(lumv8900::ViewerControls, folder);
    MainUnitInit({});
    return ProgramStart();
}

// The program started when it is not running yet (settings in folder), and a
// noise picture of the given size (made once) shown as the viewer's 24-bit
// picture; false when the program would not start.
inline bool ShowNoisePicture(const std::string& folder, int width, int height) {
    static TBitmap picture;
    if (picture.Width() != width || picture.Height() != height)
        FillNoise(picture, width, height);
    if (!lumv8900::WebForm && !StartProgram(folder))
        return false;
    lumv8900::WebForm->Daz95->Bitmap()->Assign(&picture);
    lumv8900::ImageWidth = width;
    lumv8900::ImageHeight = height;
    lumv8900::ImageBitCount = 24;
    return true;
}

// Sets folder and picture (6000 x 4000, quality 90, 4:2:0), runs the
// registered benchmarks and frees the windows they started.
inline int RunWindowBenchmarks(int argc, char** argv, std::string& folder, std::string& picture) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    folder = home.path().toStdString();
    qputenv("LUMVOR_HOME", home.path().toLocal8Bit());
    picture = folder + "/photo_24mp.jpg";
    WriteSyntheticJpeg(picture, 6000, 4000, 90);

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    lumv8900::SlideshowRunning = false;
    if (lumv8900::WebForm) {
        lumv8900::WebForm->mnuQuit->Tag = 1;
        delete xplr8900::FileForm;
        delete lumv8900::WebForm;
    }
    lumv8900::JPEGImage.reset();
    return 0;
}

}  // namespace lumvor::bench
