// The system icon lists: one list of small (16 x 16) and one of large (32 x 32)
// icons shared by the whole program, filled on demand from the desktop's icon
// theme. An icon has the same index in both lists. Files of one type share one
// icon (keyed by MIME type); folders, open folders and volumes have their own.
//
// GUI thread only.
#pragma once

#include "platform/ImgList.h"

#include <QIcon>

#include <string>

namespace lumvor {

TImageList& SystemSmallImages();
TImageList& SystemLargeImages();

// The system icon index of an existing file, folder or volume root; open asks
// for the open-folder icon of a folder. -1 when path does not exist.
int SystemIconIndex(const std::string& path, bool open = false);

// The icon behind a system icon index, for drawing at any size; a null icon
// for an index no icon has.
QIcon SystemIcon(int index);

}  // namespace lumvor
