// Fixture paths, copies and window clean-up shared by the image window's tests.
#pragma once

#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "platform/Folders.h"
#include "platform/SysUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <functional>
#include <string>
#include <vector>

#include "support/window_hooks.h"

namespace lumvor::test {

inline std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

// Copies a fixture into the test's home folder under a new name (folders made
// as needed, an older copy replaced) and answers the copy's path.
inline std::string CopyToHome(const std::string& fixture, const std::string& name) {
    const std::string target = ProgramFolder() + name;
    QDir().mkpath(QString::fromStdString(ExtractFilePath(target)));
    QFile::remove(QString::fromStdString(target));
    QFile::copy(QString::fromStdString(Fixture(fixture)), QString::fromStdString(target));
    return target;
}

// Copies a fixture to path (folders made as needed); the path.
inline std::string CopyFixture(const std::string& fixture, const std::string& path) {
    QDir().mkpath(QString::fromStdString(ExtractFilePath(path)));
    QFile::copy(QString::fromStdString(Fixture(fixture)), QString::fromStdString(path));
    return path;
}

// The files become the bookmarks; the first is the current picture.
inline void BookmarkFiles(const std::vector<std::string>& files) {
    lumv8900::ImageHistoryList.Clear();
    for (const std::string& file : files)
        lumv8900::ImageHistoryList.Add(file);
    lumv8900::ImageHistoryIndex = 0;
    lumv8900::FileName = files.empty() ? "" : files.front();
    lumv8900::FileExt = UpperCase(ExtractFileExt(lumv8900::FileName));
}

// Events until the condition holds or the time is up; true when it held.
inline bool WaitFor(const std::function<bool()>& condition, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return condition();
}

// The lines of a string list, in order.
inline std::vector<std::string> Lines(const TStrings& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i)
        names.push_back(list[i]);
    return names;
}

// Frees the explorer and the image window a test made, then undoes what they
// left on the application object.
inline void FreeWindows() {
    delete xplr8900::FileForm;
    delete lumv8900::WebForm;
    ResetApplicationHooks();
}

}  // namespace lumvor::test
