// The folders the program keeps its files in.
//
// Every folder name ends in "/" so that callers can append a file name directly.
// The environment is read on each call: tests point LUMVOR_HOME at a fresh folder
// per test.
#pragma once

#include <string>

namespace lumvor {

// The program's own data folder ("data", "bipfiles", "recent", history lists,
// bookmarks, logs): $LUMVOR_HOME when set, else ~/.local/share/Lumvor.
// Created (with its parents) when missing.
std::string ProgramFolder();

// Folder for the program's temporary files: $LUMVOR_HOME/tmp when LUMVOR_HOME is
// set, else a private per-user folder (mode 0700) under the system temp folder.
// Created when missing.
std::string TempFolder();

// Folder for the markers that live only while a process runs (lock files):
// $LUMVOR_HOME/run when LUMVOR_HOME is set, else the user's runtime folder
// ($XDG_RUNTIME_DIR), else the temp folder. Created when missing.
std::string RuntimeFolder();

// The user's home folder, where the explorer starts and falls back to ("/"
// when the home folder is missing).
std::string HomeFolder();

// Full name of the running executable.
std::string ExeFileName();

// Folder of the running executable, where read-only files shipped with the
// program live.
std::string ExeFolder();

}  // namespace lumvor
