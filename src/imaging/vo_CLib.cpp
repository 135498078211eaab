#include "imaging/vo_CLib.h"

namespace lumvor {

namespace {
TStream* StreamOf(GbmHandle handle) { return static_cast<TStream*>(handle); }

uint16_t FileMode(int mode) {
    switch (mode & 3) {
    case GBM_O_WRONLY: return fmOpenWrite;
    case GBM_O_RDWR: return fmOpenReadWrite;
    default: return fmOpenRead;
    }
}
}  // namespace

GbmHandle GbmStreamOpen(const char* fileName, int mode) {
    if (!fileName)
        return nullptr;
    try {
        auto* stream = new TFileStream(fileName, (mode & GBM_O_CREAT) ? uint16_t(fmCreate) : FileMode(mode));
        if (mode & GBM_O_APPEND)
            stream->Seek(0, soEnd);
        return stream;
    } catch (const std::exception&) {
        return nullptr;
    }
}

GbmHandle GbmStreamCreate(const char* fileName, int mode) {
    return GbmStreamOpen(fileName, mode | GBM_O_CREAT);
}

void GbmStreamClose(GbmHandle handle) { delete StreamOf(handle); }

int64_t GbmStreamSeek(GbmHandle handle, int64_t offset, int whence) {
    if (!handle || whence < 0 || whence > 2)
        return -1;
    try {
        return StreamOf(handle)->Seek(offset, static_cast<TSeekOrigin>(whence));
    } catch (const std::exception&) {
        return -1;
    }
}

int64_t GbmStreamRead(GbmHandle handle, void* buffer, int64_t count) {
    if (!handle)
        return 0;
    try {
        return StreamOf(handle)->Read(buffer, count);
    } catch (const std::exception&) {
        return 0;
    }
}

int64_t GbmStreamWrite(GbmHandle handle, const void* buffer, int64_t count) {
    if (!handle)
        return 0;
    try {
        return StreamOf(handle)->Write(buffer, count);
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace lumvor
