// What the slide show's tests share: plain pictures to play and the options a
// show test starts from.
#pragma once

#include "app/ShowClock.h"
#include "app/lumv8900.h"
#include "imaging/AvlScript.h"
#include "platform/Graphics.h"
#include "platform/SysUtils.h"

#include <QDir>

#include <string>

namespace lumvor::test {

// A picture of one colour saved as a BMP at Path (its folder made as needed).
inline std::string SaveSlidePicture(const std::string& path, int width, int height, TColor colour) {
    QDir().mkpath(QString::fromStdString(ExtractFilePath(path)));
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(width, height);
    picture.Canvas().Brush.Color = colour;
    picture.Canvas().FillRect(Rect(0, 0, width, height));
    picture.SaveToFile(path);
    return path;
}

// Installs the virtual clock (a show still running at its limit is stopped)
// and the options the show tests start from: a window show, no jukebox, a
// 3-second delay, comments at the bottom, no bookmarks.
inline void StartShowTest(TVirtualShowClock& clock) {
    using namespace lumv8900;
    SetShowClock(&clock);
    clock.OnLimit = [] { UserInterrupt = true; };
    AlwaysFullScreen = false;
    MP3Jukebox = false;
    SlideDelay = 3000;
    SlideTextPosition = 0;
    EffectsSpeed = 3;
    ImageHistoryList.Clear();
    ImageHistoryIndex = 0;
}

}  // namespace lumvor::test
