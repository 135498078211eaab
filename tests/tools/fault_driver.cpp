// The worker of tools/fault-check: one process that does one kind of write (or
// start, or close) over and over until it is killed, and the checks that look
// at what a killed worker left. Every road is the program's own: the picture
// encoder and whole-file writer of the save, the list writer of the bookmark
// file, the settings store, the file-operation engine, the window itself.
//
//   fault_driver save <file> <0|1>          save picture 0 or 1 to file for ever
//   fault_driver list <file> <0|1>          write bookmark list 0 or 1 for ever
//   fault_driver settings <0|1>             write settings record 0 or 1 for ever
//   fault_driver move <file> <other folder> move the file between folders for ever
//   fault_driver marker                     hold the running marker for ever
//   fault_driver close <jpeg> <delay ms>    open the picture, close the window after delay
//   fault_driver make-jpeg <file>           write the large picture the close loop opens
//   fault_driver make-picture <file>        write picture 0 (the moved file)
//   fault_driver check-<save|list|settings> <file>   0 whole, 3 torn, 4 lost
//   fault_driver check-move <file> <other folder>    0 whole, 3 torn, 4 lost
// Checks print the scratch files a killed worker left ("found N") and those
// still there after the next write in their folder ("left N").
#include <QApplication>
#include <QTimer>

#include "processing/files/SavePicture.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "platform/Atoms.h"
#include "platform/Classes.h"
#include "platform/FileOps.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "platform/Streams.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace lumvor;
namespace fs = std::filesystem;

namespace {

constexpr int kWhole = 0, kTorn = 3, kLost = 4;
const char* const kKey = "Software\\Quorvane\\Lumvor";

void Paint(TBitmap& bitmap, int width, int height, int seed) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uint8_t(x * 7 + seed);
            row[3 * x + 1] = uint8_t(y * 11 + seed * 3);
            row[3 * x + 2] = uint8_t((x * y + seed) & 0xFF);
        }
    }
}

// The BMP file of picture 0 (300 x 200) or 1 (120 x 90), as the save writes it.
std::string PictureFile(int which) {
    TBitmap bitmap;
    Paint(bitmap, which ? 120 : 300, which ? 90 : 200, which);
    TSaveOptions options;
    options.FilterIndex = SavePicture::stBmp;
    TMemoryStream encoded;
    EncodePicture(bitmap, options, encoded);
    return std::string(reinterpret_cast<const char*>(encoded.Memory()), size_t(encoded.Size()));
}

void FillList(TStringList& list, int which) {
    list.Clear();
    for (int i = 0; i < (which ? 40 : 400); ++i)
        list.Add("/pictures/" + std::string(which ? "b" : "a") + "/picture-" + std::to_string(i) + ".jpg");
}

std::string ListFile(int which) {
    TStringList list;
    FillList(list, which);
    return list.Text();
}

std::vector<uint8_t> Record(int which) {
    std::vector<uint8_t> record(which ? 168 : 20000);
    for (size_t i = 0; i < record.size(); ++i)
        record[i] = uint8_t(i * 13 + which * 101);
    return record;
}

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Exists(const std::string& name) {
    struct stat info {};
    return ::lstat(name.c_str(), &info) == 0;
}

// Scratch files in folder (ours, of any process, and the older fixed names).
int Scratch(const std::string& folder) {
    int count = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".lumvor-") != std::string::npos || name.find(".tmp-") != std::string::npos)
            ++count;
    }
    return count;
}

int CheckWhole(const std::string& name, const std::string& zero, const std::string& one) {
    if (!Exists(name)) return kLost;
    const std::string now = ReadAll(name);
    return now == zero || now == one ? kWhole : kTorn;
}

// Opens the picture in the image window and asks for the close after delay ms,
// as a click on the close box during the load does.
int CloseDuringLoad(const std::string& jpeg, int delay) {
    using namespace lumv8900;
    MainUnitInit({});
    if (!ProgramStart()) return 5;
    WebForm->mnuQuit->Tag = 1;
    FirstActivationDone = 1;
    WebForm->show();
    bool gone = false, loading = true, closedDuringLoad = false;
    QObject::connect(WebForm, &QObject::destroyed, [&] { gone = true; });
    QTimer::singleShot(delay, WebForm, [&] {
        closedDuringLoad = loading;
        WebForm->close();
    });
    FileName = jpeg;
    FileExt = ".JPG";
    const auto began = std::chrono::steady_clock::now();
    WebForm->BtnOpenEx(WebForm);
    loading = false;
    std::fprintf(stderr, "load took %lld ms\n", (long long)std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began).count());
    std::printf("during %d\n", closedDuringLoad ? 1 : 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!gone && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    delete xplr8900::FileForm;
    return gone ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const std::vector<std::string> a(argv + 1, argv + argc);
    if (a.empty()) return 1;
    const std::string& mode = a[0];
    auto which = [&](size_t i) { return std::atoi(a.at(i).c_str()) != 0; };
    try {
        if (mode == "save") {
            const std::string bytes = PictureFile(which(2));
            for (;;) WriteWholeFile(a.at(1), bytes.data(), int64_t(bytes.size()));
        }
        if (mode == "list") {
            TStringList list;
            FillList(list, which(2));
            for (;;) list.SaveToFile(a.at(1));
        }
        if (mode == "settings") {
            const std::vector<uint8_t> record = Record(which(1));
            for (;;) {
                TRegistry registry;
                registry.OpenKey(kKey, true);
                registry.WriteBinaryData("FaultRecord", record.data(), int(record.size()));
            }
        }
        if (mode == "move") {
            const std::string name = fs::path(a.at(1)).filename().string();
            std::string here = fs::path(a.at(1)).parent_path().string(), there = a.at(2);
            for (;;) {
                const std::string from = Exists(here + "/" + name) ? here : there;
                const std::string to = from == here ? there : here;
                RunFileOperation(foMove, {from + "/" + name}, {to + "/"}, fofNoConfirmation | fofSilent);
            }
        }
        if (mode == "marker") {
            GlobalAddAtom(lumv8900::AvlRunningAtom);
            for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
        }
        if (mode == "make-jpeg") {
            TBitmap bitmap;
            Paint(bitmap, 8000, 6000, 5);
            TJPEGImage jpeg;
            jpeg.Assign(bitmap);
            jpeg.Compress();
            jpeg.SaveToFile(a.at(1));
            return 0;
        }
        if (mode == "make-picture") {
            const std::string bytes = PictureFile(0);
            WriteWholeFile(a.at(1), bytes.data(), int64_t(bytes.size()));
            return 0;
        }
        if (mode == "close") return CloseDuringLoad(a.at(1), std::atoi(a.at(2).c_str()));

        if (mode == "check-save" || mode == "check-list") {
            const bool save = mode == "check-save";
            const int found = Scratch(fs::path(a.at(1)).parent_path().string());
            std::printf("found %d\n", found);
            const int result = CheckWhole(a.at(1), save ? PictureFile(0) : ListFile(0), save ? PictureFile(1) : ListFile(1));
            // The next write clears what the killed one left.
            const std::string next = save ? PictureFile(0) : ListFile(0);
            WriteWholeFile(a.at(1), next.data(), int64_t(next.size()));
            const int left = Scratch(fs::path(a.at(1)).parent_path().string());
            std::printf("left %d\n", left);
            return result;
        }
        if (mode == "check-settings") {
            std::printf("found %d\n", Scratch(fs::path(RegistryFileName()).parent_path().string()));
            TRegistry registry;
            registry.OpenKey(kKey, true);
            const std::vector<uint8_t> now = registry.ReadBinary("FaultRecord");
            const int result = now.empty() ? kLost : (now == Record(0) || now == Record(1)) ? kWhole : kTorn;
            const std::vector<uint8_t> next = Record(0);
            registry.WriteBinaryData("FaultRecord", next.data(), int(next.size()));  // must not wait for ever
            std::printf("left %d\n", Scratch(fs::path(RegistryFileName()).parent_path().string()));
            return result;
        }
        if (mode == "check-move") {
            const std::string name = fs::path(a.at(1)).filename().string();
            const std::string here = a.at(1), there = a.at(2) + "/" + name;
            const std::string expected = PictureFile(0);
            std::printf("found %d\n", Scratch(a.at(2)) + Scratch(fs::path(a.at(1)).parent_path().string()));
            int result = kLost;
            for (const std::string& place : {here, there}) {
                if (!Exists(place)) continue;
                if (ReadAll(place) != expected) return kTorn;
                result = kWhole;
            }
            // Both places hold the whole file when the kill came between the
            // verified copy and the removal of the source: keep one.
            if (Exists(here) && Exists(there)) fs::remove(there);
            // The next operation in each folder clears the partial copies.
            const std::string from = Exists(here) ? here : there;
            const std::string to = from == here ? a.at(2) : fs::path(a.at(1)).parent_path().string();
            RunFileOperation(foMove, {from}, {to + "/"}, fofNoConfirmation | fofSilent);
            RunFileOperation(foMove, {to + "/" + name}, {fs::path(from).parent_path().string() + "/"},
                             fofNoConfirmation | fofSilent);
            std::printf("left %d\n", Scratch(a.at(2)) + Scratch(fs::path(a.at(1)).parent_path().string()));
            return result;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", mode.c_str(), e.what());
        return 6;
    }
    return 1;
}
