// Scanning through SANE: the device list, the source choice, the scan
// settings dialog and the acquisition of one page as a packed DIB.

#include "imgman/ImgFormats.h"
#include "imgman/imgman.h"
#include "platform/Forms.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>
#include <cstring>
#include <vector>

namespace lumvor {

namespace imgman {

namespace {

bool saneStarted = false;

struct TScanDevice {
    std::string Name;
    std::string Caption;
};

bool StartSane() {
    if (saneStarted)
        return true;
    SANE_Int version = 0;
    if (sane_init(&version, nullptr) != SANE_STATUS_GOOD)
        return false;
    saneStarted = true;
    return true;
}

std::vector<TScanDevice> Devices() {
    std::vector<TScanDevice> list;
    if (!StartSane())
        return list;
    const SANE_Device** devices = nullptr;
    if (sane_get_devices(&devices, SANE_TRUE) != SANE_STATUS_GOOD || !devices)
        return list;
    for (int i = 0; devices[i]; ++i) {
        const SANE_Device* d = devices[i];
        if (!d->name)
            continue;
        std::string caption = std::string(d->vendor ? d->vendor : "") + " " + (d->model ? d->model : "") +
                              " (" + d->name + ")";
        list.push_back({d->name, caption});
    }
    return list;
}

// An open device, closed (and any scan cancelled) when it goes.
class TSaneDevice {
public:
    explicit TSaneDevice(const std::string& name) {
        const SANE_Status status = sane_open(name.c_str(), &handle_);
        if (status != SANE_STATUS_GOOD) {
            handle_ = nullptr;
            Fail("Cannot open the scanner", status);
        }
    }
    ~TSaneDevice() {
        sane_cancel(handle_);
        sane_close(handle_);
    }
    TSaneDevice(const TSaneDevice&) = delete;
    TSaneDevice& operator=(const TSaneDevice&) = delete;
    SANE_Handle Handle() const { return handle_; }

    [[noreturn]] static void Fail(const std::string& what, SANE_Status status) {
        throw EImgError(what + ": " + sane_strstatus(status) + ".");
    }

    // The option's index and descriptor; -1 when the device has none of that name.
    int Find(const char* name, const SANE_Option_Descriptor** descriptor) const {
        for (int i = 1;; ++i) {
            const SANE_Option_Descriptor* d = sane_get_option_descriptor(handle_, i);
            if (!d)
                return -1;
            if (d->name && std::strcmp(d->name, name) == 0 && SANE_OPTION_IS_ACTIVE(d->cap) &&
                SANE_OPTION_IS_SETTABLE(d->cap)) {
                *descriptor = d;
                return i;
            }
        }
    }

    bool HasString(const char* name, const std::string& value) const {
        const SANE_Option_Descriptor* d = nullptr;
        if (Find(name, &d) < 0 || d->type != SANE_TYPE_STRING || d->constraint_type != SANE_CONSTRAINT_STRING_LIST)
            return false;
        for (const SANE_String_Const* s = d->constraint.string_list; *s; ++s)
            if (value == *s)
                return true;
        return false;
    }

    // Sets a string option; false when the device lacks it.
    bool SetString(const char* name, const std::string& value) {
        const SANE_Option_Descriptor* d = nullptr;
        const int index = Find(name, &d);
        if (index < 0 || d->type != SANE_TYPE_STRING)
            return false;
        std::vector<char> buffer(std::max<size_t>(size_t(d->size), value.size() + 1), 0);
        std::memcpy(buffer.data(), value.data(), value.size());
        const SANE_Status status = sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, buffer.data(), nullptr);
        if (status != SANE_STATUS_GOOD)
            Fail(std::string("Cannot set ") + name, status);
        return true;
    }

    // Sets a number option of type INT or FIXED; false when the device lacks it.
    bool SetNumber(const char* name, double value) {
        const SANE_Option_Descriptor* d = nullptr;
        const int index = Find(name, &d);
        if (index < 0 || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) || d->size < int(sizeof(SANE_Word)))
            return false;
        SANE_Word word = d->type == SANE_TYPE_FIXED ? SANE_FIX(value) : static_cast<SANE_Word>(std::lround(value));
        const SANE_Status status = sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, &word, nullptr);
        if (status != SANE_STATUS_GOOD)
            Fail(std::string("Cannot set ") + name, status);
        return true;
    }

private:
    SANE_Handle handle_ = nullptr;
};

// Reads every byte of the current frame.
std::vector<uint8_t> ReadFrame(SANE_Handle handle, const SANE_Parameters& p) {
    std::vector<uint8_t> bytes;
    const int64_t expected = p.lines > 0 ? int64_t(p.bytes_per_line) * p.lines : 0;
    // The most a scan may deliver: the largest picture at 3 bytes a pixel.
    const int64_t limit = MaxPixelCount * 3;
    if (expected > limit)
        throw EImgError("The scan is too large.");
    bytes.reserve(size_t(expected));
    std::vector<uint8_t> chunk(65536);
    while (true) {
        SANE_Int length = 0;
        const SANE_Status status = sane_read(handle, chunk.data(), SANE_Int(chunk.size()), &length);
        if (status == SANE_STATUS_EOF)
            break;
        if (status != SANE_STATUS_GOOD)
            TSaneDevice::Fail("Scanning failed", status);
        if (int64_t(bytes.size()) + length > limit)
            throw EImgError("The scan is too large.");
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + length);
    }
    return bytes;
}

// One sample of 8 or 16 bits as 8 bits (16-bit samples are in host order).
uint8_t Sample(const uint8_t* line, int index, int depth) {
    if (depth == 16) {
        uint16_t v;
        std::memcpy(&v, line + 2 * index, 2);
        return static_cast<uint8_t>(v >> 8);
    }
    return line[index];
}

TPixelBuffer Scan(const std::string& device, const TScanSettings& settings) {
    TSaneDevice scanner(device);
    const bool lineart = settings.Mode == "Lineart";
    if (scanner.HasString(SANE_NAME_SCAN_MODE, settings.Mode)) {
        scanner.SetString(SANE_NAME_SCAN_MODE, settings.Mode);
        if (!lineart)
            scanner.SetNumber(SANE_NAME_BIT_DEPTH, 8);
    } else if (lineart) {
        // Devices without a lineart mode scan grey at one bit.
        scanner.SetString(SANE_NAME_SCAN_MODE, SANE_VALUE_SCAN_MODE_GRAY);
        scanner.SetNumber(SANE_NAME_BIT_DEPTH, 1);
    } else {
        throw EImgError("The scanner has no mode \"" + settings.Mode + "\".");
    }
    if (settings.Resolution > 0)
        scanner.SetNumber(SANE_NAME_SCAN_RESOLUTION, settings.Resolution);
    if (settings.Width > 0 && settings.Height > 0) {
        scanner.SetNumber(SANE_NAME_SCAN_TL_X, settings.Left);
        scanner.SetNumber(SANE_NAME_SCAN_TL_Y, settings.Top);
        scanner.SetNumber(SANE_NAME_SCAN_BR_X, settings.Left + settings.Width);
        scanner.SetNumber(SANE_NAME_SCAN_BR_Y, settings.Top + settings.Height);
    }

    SANE_Status status = sane_start(scanner.Handle());
    if (status != SANE_STATUS_GOOD)
        TSaneDevice::Fail("Scanning failed", status);
    // Frames: one grey or RGB frame, or a red, a green and a blue frame.
    std::vector<uint8_t> planes[3];
    SANE_Parameters p{};
    bool colour = false;
    int width = 0, height = 0, depth = 8, lineBytes = 0;
    while (true) {
        status = sane_get_parameters(scanner.Handle(), &p);
        if (status != SANE_STATUS_GOOD)
            TSaneDevice::Fail("Scanning failed", status);
        if (p.depth != 1 && p.depth != 8 && p.depth != 16)
            throw EImgError("Unsupported scan depth " + std::to_string(p.depth) + ".");
        std::vector<uint8_t> bytes = ReadFrame(scanner.Handle(), p);
        if (p.bytes_per_line <= 0 || p.pixels_per_line <= 0)
            throw EImgError("The scanner delivered no picture.");
        width = p.pixels_per_line;
        lineBytes = p.bytes_per_line;
        depth = p.depth;
        height = static_cast<int>(int64_t(bytes.size()) / lineBytes);
        switch (p.format) {
        case SANE_FRAME_GRAY: planes[0] = std::move(bytes); break;
        case SANE_FRAME_RGB: planes[0] = std::move(bytes), colour = true; break;
        case SANE_FRAME_RED: planes[0] = std::move(bytes), colour = true; break;
        case SANE_FRAME_GREEN: planes[1] = std::move(bytes); break;
        case SANE_FRAME_BLUE: planes[2] = std::move(bytes); break;
        default: throw EImgError("Unsupported scan frame.");
        }
        if (p.last_frame)
            break;
        status = sane_start(scanner.Handle());
        if (status != SANE_STATUS_GOOD)
            TSaneDevice::Fail("Scanning failed", status);
    }
    const bool threePass = !planes[1].empty() || !planes[2].empty();
    if (threePass)
        for (const auto& plane : planes)
            height = std::min<int>(height, static_cast<int>(int64_t(plane.size()) / lineBytes));
    if (!PictureSizeAllowed(width, height))
        throw EImgError("The scanner delivered no picture.");
    const int samples = colour && !threePass ? 3 : 1;
    if (int64_t(lineBytes) * 8 < int64_t(width) * samples * depth)
        throw EImgError("Unsupported scan layout.");

    const int bits = colour ? 24 : depth == 1 ? 1 : 8;
    TPixelBuffer pixels = BlackWhiteOrGrey(width, height, bits);
    for (int y = 0; y < height; ++y) {
        uint8_t* out = pixels.ScanLine(y);
        const size_t offset = size_t(y) * size_t(lineBytes);
        if (bits == 1) {
            // Lineart bits are 1 for black; the table has black at 0.
            const uint8_t* in = planes[0].data() + offset;
            for (int i = 0; i < (width + 7) / 8; ++i)
                out[i] = static_cast<uint8_t>(~in[i]);
        } else if (bits == 8) {
            for (int x = 0; x < width; ++x)
                out[x] = depth == 1 ? ((planes[0][offset + size_t(x / 8)] >> (7 - x % 8)) & 1 ? 0 : 255)
                                    : Sample(planes[0].data() + offset, x, depth);
        } else {
            for (int x = 0; x < width; ++x) {
                uint8_t rgb[3];
                for (int c = 0; c < 3; ++c)
                    rgb[c] = threePass ? Sample(planes[c].data() + offset, x, depth)
                                       : Sample(planes[0].data() + offset, 3 * x + c, depth);
                out[3 * x] = rgb[2], out[3 * x + 1] = rgb[1], out[3 * x + 2] = rgb[0];
            }
        }
    }
    if (settings.Resolution > 0)
        pixels.XPelsPerMeter = pixels.YPelsPerMeter =
            static_cast<int32_t>(std::lround(settings.Resolution / 0.0254));
    return pixels;
}

// The scan settings dialog: mode and resolution. True when the user scans.
bool AskScanSettings(QWidget* window, TScanSettings& settings) {
    QDialog dialog(window);
    dialog.setWindowTitle("Scan");
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    auto* mode = new QComboBox(&dialog);
    mode->setObjectName("cbMode");
    mode->addItems({"Color", "Gray", "Lineart"});
    mode->setCurrentText(QString::fromStdString(settings.Mode));
    auto* resolution = new QSpinBox(&dialog);
    resolution->setObjectName("seResolution");
    resolution->setRange(25, 1200);
    resolution->setSuffix(" dpi");
    resolution->setValue(settings.Resolution);
    form->addRow("&Mode:", mode);
    form->addRow("&Resolution:", resolution);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (ExecModal(dialog) != mrOk)
        return false;
    settings.Mode = mode->currentText().toStdString();
    settings.Resolution = resolution->value();
    return true;
}

}  // namespace

void ShutdownScanner() {
    if (saneStarted) {
        sane_exit();
        saneStarted = false;
    }
}

}  // namespace imgman

using namespace imgman;

int ScanIsTWAINAvailable() { return Devices().empty() ? 0 : 1; }

int ScanSelectSource(QWidget* window) {
    const std::vector<TScanDevice> devices = Devices();
    if (devices.empty()) {
        SetLastError(SNoScanner);
        return 0;
    }
    QDialog dialog(window);
    dialog.setWindowTitle("Select Source");
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName("lbSources");
    int current = 0;
    for (size_t i = 0; i < devices.size(); ++i) {
        list->addItem(QString::fromStdString(devices[i].Caption));
        if (devices[i].Name == ScanSource)
            current = static_cast<int>(i);
    }
    list->setCurrentRow(current);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    if (ExecModal(dialog) != mrOk || list->currentRow() < 0) {
        SetLastError("No scanner was chosen.");
        return 0;
    }
    ScanSource = devices[size_t(list->currentRow())].Name;
    return 1;
}

TPackedDib ScanAcquirePage(QWidget* window, int) {
    try {
        const std::vector<TScanDevice> devices = Devices();
        if (devices.empty())
            throw EImgError(SNoScanner);
        std::string device = devices.front().Name;
        for (const TScanDevice& d : devices)
            if (d.Name == ScanSource)
                device = d.Name;
        TScanSettings settings = ScanSettings;
        if (!AskScanSettings(window, settings))
            throw EImgError("The scan was cancelled.");
        ScanSettings = settings;
        return TPackedDib::FromPixels(Scan(device, settings));
    } catch (const Exception& e) {
        SetLastError(e.Message());
    } catch (const std::exception& e) {
        SetLastError(e.what());
    }
    return {};
}

}  // namespace lumvor
