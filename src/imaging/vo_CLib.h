// Binding of the C code the codecs use: the one place where the codec classes
// reach the entry points of libtiff, libpng and the bitmap module, and where
// that code gets its file access over our streams.
//
// Bitmap module: its I/O procedures work on a handle that is a TStream. The
// codec classes hand in their own streams (GbmHandleOf) and never open or close
// files through the module; open/create/close exist for callers that let the
// module name a file itself.
//
// libtiff and libpng: their entry points come from <tiffio.h> and <png.h>; the
// client procedures over TStream belong with the TIFF and PNG codecs that
// install them (libtiff: read, write and seek on the stream, size = its size,
// close and the mapping pair do nothing; libpng: read/write/flush callbacks).
//
// Every procedure here catches what the stream throws and reports it the way
// the C code expects (a short count, -1 from seek, a null handle), so no C++
// exception crosses C code.
#pragma once

#include "imaging/gbm.h"
#include "platform/Streams.h"

namespace lumvor {

inline GbmHandle GbmHandleOf(TStream& stream) { return &stream; }

// Open an existing file: mode GBM_O_RDONLY, GBM_O_WRONLY or GBM_O_RDWR, with
// GBM_O_APPEND to start at its end. Null when the file cannot be opened.
GbmHandle GbmStreamOpen(const char* fileName, int mode);
// Create a new (empty) file; null when that fails.
GbmHandle GbmStreamCreate(const char* fileName, int mode);
// Frees a stream made by open or create.
void GbmStreamClose(GbmHandle handle);
// whence 0, 1, 2 are the stream's origins from the beginning, the current place
// and the end. Returns the new place, -1 on failure.
int64_t GbmStreamSeek(GbmHandle handle, int64_t offset, int whence);
int64_t GbmStreamRead(GbmHandle handle, void* buffer, int64_t count);
int64_t GbmStreamWrite(GbmHandle handle, const void* buffer, int64_t count);

}  // namespace lumvor
