// The memory check before large work and the memory report of Tools > Memory.
//
// The check compares the current picture's size with what the machine can
// still give (MemAvailable, within the process's address-space limit) and
// tries the allocation itself; the report frees the editor's spare bitmaps and
// shows the machine's memory.
#include "app/lumv8900.h"

#include "imaging/Helpers.h"
#include "platform/Clipbrd.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"

#include <new>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr uint64_t MiB = 1048576;

TMemoryStatus CurrentMemoryStatus() { return MemoryStatusReader ? MemoryStatusReader() : ReadMemoryStatus(); }

// A real allocation of the block, freed at once. The operator is called
// directly so that the compiler cannot drop the pair.
bool BlockAvailable(int64_t bytes) {
    if (MemoryProbe)
        return MemoryProbe(bytes);
    void* block = ::operator new(static_cast<size_t>(bytes), std::nothrow);
    if (!block)
        return false;
    ::operator delete(block);
    return true;
}

std::string Megabytes(uint64_t bytes) { return IntToStr(int64_t(bytes / MiB)); }

}  // namespace

bool TWebForm::MemoryRunningLow() {
    const int64_t required = lumvor::ImageDataSize(ImageWidth, ImageHeight, ImageBitCount);
    const uint64_t available = AvailableMemory(CurrentMemoryStatus());
    // The allocation is only tried when it can succeed: a block beyond what
    // the machine has would only be refused or push it into swapping.
    const bool low = uint64_t(required) > available || !BlockAvailable(required);
    if (low)
        voMessageDlg("", "",
                     std::string("Free memory is fragmented or running low.\nSelect Tools | Memory to clear and "
                                 "check buffers.\n") +
                         "\nRequired=" + IntToStr(required) + " Actual=" + IntToStr(int64_t(available)),
                     mtInformation, mbOKOnly, AutoDefaultButton, 0);
    if (!AutoFixBusy)
        Screen.SetCursor(crDefault);
    return low;
}

void TWebForm::mnuMemoryClick(QObject* Sender) {
    const bool fromPaste = Sender && (Sender == mnuPaste || Sender == FindChrome("mnuPaste1"));
    Screen.SetCursor(crHourGlass);
    CancelPressed = 1;
    for (std::unique_ptr<TBitmap>* spare : {&WorkBitmap, &BackupBitmap, &DuplicateBitmap})
        if (*spare)
            EmptyBitmap(**spare);
    if (!fromPaste)
        Clipboard().Clear();
    const TMemoryStatus status = CurrentMemoryStatus();
    if (!fromPaste) {
        std::string text = "Memory Utilization: " + IntToStr(MemoryLoad(status)) + " (100=max)" + "\n" + "\n" +
                           "Total Physical Memory: " + Megabytes(status.MemTotal) + " Mb" + "\n" +
                           "Total Paged Memory: " + Megabytes(status.MemTotal + status.SwapTotal) + " Mb" + "\n" +
                           "Free Paged Memory: " + Megabytes(status.MemAvailable + status.SwapFree) + " Mb" + "\n" +
                           "Total Virtual Memory: " + Megabytes(TotalVirtual(status)) + " Mb" + "\n" +
                           "Free Virtual Memory: " + Megabytes(FreeVirtual(status)) + " Mb" + "\n" +
                           "Largest Free Block: " + Megabytes(AvailableMemory(status)) + " Mb";
        text += std::string("\n") + "\n" + "Linux version: " + IntToStr(WinVersion / 10) + "." +
                IntToStr(WinVersion % 10) + "\n" + "Display: " + IntToStr(ScreenWidth) + " x " +
                IntToStr(ScreenHeight) + " (" + IntToStr(ScreenColorBits) + " bpp)";
        if (!FromExplorer(Sender))
            text += std::string("\n") + "\n" + "Viewer bookmarks: " + IntToStr(ImageHistoryList.Count()) + " items";
        voMessageDlg("", "", text, mtInformation, mbOKOnly, AutoDefaultButton, 0);
    }
    Screen.SetCursor(crDefault);
}

}  // namespace lumvor
