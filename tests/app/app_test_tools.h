// Fixture paths and copies shared by the image window's tests.
#pragma once

#include "platform/Folders.h"
#include "platform/SysUtils.h"

#include <QDir>
#include <QFile>

#include <string>

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

}  // namespace lumvor::test
