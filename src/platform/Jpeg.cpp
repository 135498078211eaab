#include "platform/Jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>

// jpeglib.h needs FILE and size_t declared before it.
extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace lumvor {

namespace jpegcode {

namespace {

// libjpeg-turbo's fatal error codes and their numbers in IJG release 6a.
// 6a's list is 6b's without "DCT coefficient out of range" (an encoder check
// added in 6b), so from there on every code is one lower.
struct CodePair {
    int library;
    int ijg6a;
};
constexpr CodePair kCodeTable[] = {
    {JMSG_NOMESSAGE, 0},
    {JERR_ARITH_NOTIMPL, 1},
    {JERR_BAD_ALIGN_TYPE, 2},
    {JERR_BAD_ALLOC_CHUNK, 3},
    {JERR_BAD_BUFFER_MODE, 4},
    {JERR_BAD_COMPONENT_ID, 5},
    {JERR_BAD_DCTSIZE, 6},
    {JERR_BAD_HUFF_TABLE, 7},
    {JERR_BAD_IN_COLORSPACE, 8},
    {JERR_BAD_J_COLORSPACE, 9},
    {JERR_BAD_LENGTH, 10},
    {JERR_BAD_LIB_VERSION, 11},
    {JERR_BAD_MCU_SIZE, 12},
    {JERR_BAD_POOL_ID, 13},
    {JERR_BAD_PRECISION, 14},
    {JERR_BAD_PROGRESSION, 15},
    {JERR_BAD_PROG_SCRIPT, 16},
    {JERR_BAD_SAMPLING, 17},
    {JERR_BAD_SCAN_SCRIPT, 18},
    {JERR_BAD_STATE, 19},
    {JERR_BAD_STRUCT_SIZE, 20},
    {JERR_BAD_VIRTUAL_ACCESS, 21},
    {JERR_BUFFER_SIZE, 22},
    {JERR_CANT_SUSPEND, 23},
    {JERR_CCIR601_NOTIMPL, 24},
    {JERR_COMPONENT_COUNT, 25},
    {JERR_CONVERSION_NOTIMPL, 26},
    {JERR_DAC_INDEX, 27},
    {JERR_DAC_VALUE, 28},
    {JERR_DHT_INDEX, 29},
    {JERR_DQT_INDEX, 30},
    {JERR_EMPTY_IMAGE, 31},
    {JERR_EMS_READ, 32},
    {JERR_EMS_WRITE, 33},
    {JERR_EOI_EXPECTED, 34},
    {JERR_FILE_READ, 35},
    {JERR_FILE_WRITE, 36},
    {JERR_FRACT_SAMPLE_NOTIMPL, 37},
    {JERR_HUFF_CLEN_OVERFLOW, 38},
    {JERR_HUFF_MISSING_CODE, 39},
    {JERR_IMAGE_TOO_BIG, 40},
    {JERR_INPUT_EMPTY, 41},
    {JERR_INPUT_EOF, 42},
    {JERR_MISMATCHED_QUANT_TABLE, 43},
    {JERR_MISSING_DATA, 44},
    {JERR_MODE_CHANGE, 45},
    {JERR_NOTIMPL, 46},
    {JERR_NOT_COMPILED, 47},
    {JERR_NO_BACKING_STORE, 48},
    {JERR_NO_HUFF_TABLE, 49},
    {JERR_NO_IMAGE, 50},
    {JERR_NO_QUANT_TABLE, 51},
    {JERR_NO_SOI, NotJpeg},
    {JERR_OUT_OF_MEMORY, 53},
    {JERR_QUANT_COMPONENTS, 54},
    {JERR_QUANT_FEW_COLORS, 55},
    {JERR_QUANT_MANY_COLORS, 56},
    {JERR_SOF_DUPLICATE, 57},
    {JERR_SOF_NO_SOS, 58},
    {JERR_SOF_UNSUPPORTED, 59},
    {JERR_SOI_DUPLICATE, 60},
    {JERR_SOS_NO_SOF, 61},
    {JERR_TFILE_CREATE, 62},
    {JERR_TFILE_READ, 63},
    {JERR_TFILE_SEEK, 64},
    {JERR_TFILE_WRITE, 65},
    {JERR_TOO_LITTLE_DATA, 66},
    {JERR_UNKNOWN_MARKER, UnknownMarker},
    {JERR_VIRTUAL_BUG, 68},
    {JERR_WIDTH_OVERFLOW, 69},
    {JERR_XMS_READ, 70},
    {JERR_XMS_WRITE, 71},
};

}  // namespace

int FromLibrary(int libraryCode) {
    for (const CodePair& pair : kCodeTable)
        if (pair.library == libraryCode)
            return pair.ijg6a;
    return 1000 + libraryCode;
}

}  // namespace jpegcode

namespace {

// ---------------------------------------------------------------------------
// libjpeg binding. Every function that calls setjmp below is plain C-style
// code: it holds no object with a destructor and reads no local variable after
// the jump, so landing there is safe. The C++ caller owns the session struct
// (whose destructor destroys the libjpeg object) and throws afterwards.

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    int code;  // libjpeg's code of the fatal error
    char message[JMSG_LENGTH_MAX];
};

extern "C" void ErrorExit(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    err->code = err->pub.msg_code;
    err->pub.format_message(info, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are counted in num_warnings by libjpeg; nothing is printed.
extern "C" void OutputMessage(j_common_ptr) {}

void InitErrorManager(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
    err.code = 0;
    err.message[0] = '\0';
}

// Source over bytes held in memory (the object keeps the whole file). The end
// of the data is reported as a premature end: libjpeg gets an EOI marker and a
// warning, and decodes what it has.
struct MemorySource {
    jpeg_source_mgr pub;
};

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

extern "C" void SourceInit(j_decompress_ptr) {}
extern "C" boolean SourceFill(j_decompress_ptr info) {
    WARNMS(info, JWRN_JPEG_EOF);
    info->src->next_input_byte = kFakeEoi;
    info->src->bytes_in_buffer = 2;
    return TRUE;
}
extern "C" void SourceSkip(j_decompress_ptr info, long count) {
    jpeg_source_mgr* src = info->src;
    if (count <= 0)
        return;
    if (static_cast<size_t>(count) > src->bytes_in_buffer) {
        SourceFill(info);
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}
extern "C" void SourceTerm(j_decompress_ptr) {}

// Destination over a TStream. The buffer belongs to the C++ caller. A stream
// exception is turned into libjpeg's write error after its handler has ended.
struct StreamDestination {
    jpeg_destination_mgr pub;
    TStream* stream;
    JOCTET* buffer;
    size_t size;
};

bool WriteOut(StreamDestination* dest, size_t count) {
    try {
        dest->stream->WriteBuffer(dest->buffer, static_cast<int64_t>(count));
        return true;
    } catch (...) {
        return false;
    }
}

extern "C" void DestInit(j_compress_ptr info) {
    auto* dest = reinterpret_cast<StreamDestination*>(info->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->size;
}
extern "C" boolean DestEmpty(j_compress_ptr info) {
    auto* dest = reinterpret_cast<StreamDestination*>(info->dest);
    if (!WriteOut(dest, dest->size))
        ERREXIT(info, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->size;
    return TRUE;
}
extern "C" void DestTerm(j_compress_ptr info) {
    auto* dest = reinterpret_cast<StreamDestination*>(info->dest);
    size_t count = dest->size - dest->pub.free_in_buffer;
    if (count > 0 && !WriteOut(dest, count))
        ERREXIT(info, JERR_FILE_WRITE);
}

constexpr long kMaxLibraryMemory = 1L << 30;

// One decode: the libjpeg object, its error manager and its source.
struct DecodeSession {
    jpeg_decompress_struct info;
    ErrorManager err;
    MemorySource src;
    bool created;
};

// Same for one encode.
struct EncodeSession {
    jpeg_compress_struct info;
    ErrorManager err;
    StreamDestination dest;
    bool created;
};

// Creates the decompressor over the bytes and reads the header.
bool BeginDecode(DecodeSession* s, const uint8_t* data, size_t size, bool keepComments) {
    InitErrorManager(s->err);
    s->info.err = &s->err.pub;
    if (setjmp(s->err.jump))
        return false;
    jpeg_create_decompress(&s->info);
    s->created = true;
    // Caps what a hostile header can make libjpeg allocate (a progressive
    // file keeps the coefficients of the whole picture); beyond it libjpeg
    // fails with "Backing store not supported".
    s->info.mem->max_memory_to_use = kMaxLibraryMemory;
    s->src.pub.init_source = SourceInit;
    s->src.pub.fill_input_buffer = SourceFill;
    s->src.pub.skip_input_data = SourceSkip;
    s->src.pub.resync_to_restart = jpeg_resync_to_restart;
    s->src.pub.term_source = SourceTerm;
    s->src.pub.next_input_byte = data;
    s->src.pub.bytes_in_buffer = size;
    s->info.src = &s->src.pub;
    if (size == 0)
        ERREXIT(&s->info, JERR_INPUT_EMPTY);
    if (keepComments)
        jpeg_save_markers(&s->info, JPEG_COM, 0xFFFF);
    jpeg_read_header(&s->info, TRUE);
    return true;
}

bool StartDecode(DecodeSession* s) {
    if (setjmp(s->err.jump))
        return false;
    jpeg_start_decompress(&s->info);
    return true;
}

// Reads up to `count` rows into `rows`; *done receives the number read.
bool ReadRows(DecodeSession* s, JSAMPROW* rows, int count, int* done) {
    if (setjmp(s->err.jump))
        return false;
    while (*done < count && s->info.output_scanline < s->info.output_height) {
        JDIMENSION got = jpeg_read_scanlines(&s->info, rows + *done,
                                             static_cast<JDIMENSION>(count - *done));
        if (got == 0)
            break;
        *done += static_cast<int>(got);
    }
    return true;
}

bool FinishDecode(DecodeSession* s) {
    if (setjmp(s->err.jump))
        return false;
    jpeg_finish_decompress(&s->info);
    return true;
}

// Plain values of one encode, read by BeginEncode.
struct EncodeSettings {
    int width;
    int height;
    int inputComponents;
    J_COLOR_SPACE inputSpace;
    bool grayscale;
    bool linearScale;
    int quality;
    bool progressive;
    bool optimize;
    J_DCT_METHOD dct;
    bool subsample;
    int smoothing;
    const char* comment;
    size_t commentLength;
};

bool BeginEncode(EncodeSession* s, TStream* stream, JOCTET* buffer, size_t size,
                 const EncodeSettings* settings) {
    InitErrorManager(s->err);
    s->info.err = &s->err.pub;
    if (setjmp(s->err.jump))
        return false;
    jpeg_create_compress(&s->info);
    s->created = true;
    s->dest.pub.init_destination = DestInit;
    s->dest.pub.empty_output_buffer = DestEmpty;
    s->dest.pub.term_destination = DestTerm;
    s->dest.stream = stream;
    s->dest.buffer = buffer;
    s->dest.size = size;
    s->info.dest = &s->dest.pub;

    s->info.image_width = static_cast<JDIMENSION>(settings->width);
    s->info.image_height = static_cast<JDIMENSION>(settings->height);
    s->info.input_components = settings->inputComponents;
    s->info.in_color_space = settings->inputSpace;
    jpeg_set_defaults(&s->info);
    if (settings->grayscale)
        jpeg_set_colorspace(&s->info, JCS_GRAYSCALE);
    if (settings->linearScale)
        jpeg_set_linear_quality(&s->info, settings->quality, TRUE);
    else
        jpeg_set_quality(&s->info, settings->quality, TRUE);
    if (!settings->subsample && s->info.num_components > 1) {
        s->info.comp_info[0].h_samp_factor = 1;
        s->info.comp_info[0].v_samp_factor = 1;
    }
    s->info.optimize_coding = settings->optimize ? TRUE : FALSE;
    s->info.dct_method = settings->dct;
    s->info.smoothing_factor = settings->smoothing;
    if (settings->progressive)
        jpeg_simple_progression(&s->info);
    jpeg_start_compress(&s->info, TRUE);
    if (settings->commentLength > 0)
        jpeg_write_marker(&s->info, JPEG_COM, reinterpret_cast<const JOCTET*>(settings->comment),
                          static_cast<unsigned int>(settings->commentLength));
    return true;
}

bool WriteRows(EncodeSession* s, JSAMPROW* rows, int count) {
    if (setjmp(s->err.jump))
        return false;
    jpeg_write_scanlines(&s->info, rows, static_cast<JDIMENSION>(count));
    return true;
}

bool FinishEncode(EncodeSession* s) {
    if (setjmp(s->err.jump))
        return false;
    jpeg_finish_compress(&s->info);
    return true;
}

void Destroy(DecodeSession& s) { jpeg_destroy_decompress(&s.info); }
void Destroy(EncodeSession& s) { jpeg_destroy_compress(&s.info); }

// Owner of one session: zeroed at the start, the libjpeg object destroyed
// whichever way the C++ code leaves.
template <typename Session>
class SessionOwner {
public:
    SessionOwner() { std::memset(&s_, 0, sizeof s_); }
    ~SessionOwner() {
        if (s_.created)
            Destroy(s_);
    }
    SessionOwner(const SessionOwner&) = delete;
    SessionOwner& operator=(const SessionOwner&) = delete;
    Session* operator->() { return &s_; }
    Session* get() { return &s_; }

private:
    Session s_;
};
using Decoder = SessionOwner<DecodeSession>;
using Encoder = SessionOwner<EncodeSession>;

// ---------------------------------------------------------------------------

// Where the further JPEG of an embedded preview or the JFIF signature of the
// plain reader is looked for: the first half of the data, at most 44,000 bytes.
constexpr size_t kSearchLimit = 44000;
constexpr size_t kPreviewMinimumSize = 112000;

size_t SearchEnd(size_t size) { return std::min(size / 2, kSearchLimit); }

// Offset of `pattern` in data[from, end), or npos.
size_t FindBytes(const std::vector<uint8_t>& data, size_t from, size_t end, const char* pattern,
                 size_t length) {
    end = std::min(end, data.size());
    if (from >= end)
        return std::string::npos;
    auto first = data.begin() + static_cast<std::ptrdiff_t>(from);
    auto last = data.begin() + static_cast<std::ptrdiff_t>(end);
    auto hit = std::search(first, last, pattern, pattern + length,
                           [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); });
    return hit == last ? std::string::npos : static_cast<size_t>(hit - data.begin());
}

const char kSoi[3] = {'\xFF', '\xD8', '\xFF'};

int ScaleLog2(TJPEGScale scale) { return std::clamp(static_cast<int>(scale), 0, 3); }

int ScaledSide(int side, int log2) {
    // libjpeg rounds the reduced size up.
    return side <= 0 ? 0 : static_cast<int>((static_cast<int64_t>(side) + (1 << log2) - 1) >> log2);
}

// CMYK files are read as Adobe writes them, with inverted inks (255 = no ink),
// the convention of practically every CMYK JPEG: red = C x K / 255, and so on.
inline uint8_t InkTimesBlack(unsigned ink, unsigned black) {
    return static_cast<uint8_t>((ink * black + 127) / 255);
}

}  // namespace

// ---------------------------------------------------------------------------

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Fail(int libraryCode, const std::string& message) {
    lastError_ = jpegcode::FromLibrary(libraryCode);
    throw EJPEG(message);
}

void TJPEGImage::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TJPEGImage::LoadFromStream(TStream& stream) {
    lastError_ = jpegcode::None;
    warnings_ = 0;
    previewTaken_ = false;

    // Read what the stream says it holds in one piece, then anything beyond.
    std::vector<uint8_t> bytes;
    const int64_t remaining = stream.Size() - stream.Position();
    if (remaining > 0) {
        bytes.resize(static_cast<size_t>(remaining));
        const int64_t got = stream.Read(bytes.data(), remaining);
        bytes.resize(static_cast<size_t>(std::max<int64_t>(got, 0)));
    }
    std::vector<uint8_t> chunk(65536);
    for (;;) {
        int64_t got = stream.Read(chunk.data(), static_cast<int64_t>(chunk.size()));
        if (got <= 0)
            break;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
    }

    if (embeddedPreview_ && bytes.size() >= kPreviewMinimumSize) {
        size_t at = FindBytes(bytes, 2, SearchEnd(bytes.size()), kSoi, sizeof kSoi);
        if (at != std::string::npos) {
            bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
            try {
                LoadBytes(std::move(bytes));
            } catch (const EJPEG&) {
                lastError_ = jpegcode::PreviewFailed;
                throw;
            }
            previewTaken_ = true;
            return;
        }
    }
    size_t start = 0;
    if (plainRead_) {
        size_t at = FindBytes(bytes, 0, SearchEnd(bytes.size()), "JFIF", 4);
        // The signature sits 6 bytes into the file: SOI, APP0 marker, length.
        if (at != std::string::npos && at >= 6)
            start = at - 6;
    } else if (retryRead_ && !(bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8)) {
        size_t at = FindBytes(bytes, 0, bytes.size(), kSoi, sizeof kSoi);
        if (at != std::string::npos)
            start = at;
    }
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(start));
    LoadBytes(std::move(bytes));
}

void TJPEGImage::LoadBytes(std::vector<uint8_t> bytes) {
    data_ = std::move(bytes);
    try {
        ReadHeader();
    } catch (...) {
        data_.clear();
        width_ = height_ = components_ = 0;
        bitCount_ = 24;
        progressive_ = false;
        comments_.clear();
        throw;
    }
}

void TJPEGImage::ReadHeader() {
    Decoder d;
    if (!BeginDecode(d.get(), data_.data(), data_.size(), true))
        Fail(d->err.code, d->err.message);
    const jpeg_decompress_struct& info = d->info;
    width_ = static_cast<int>(info.image_width);
    height_ = static_cast<int>(info.image_height);
    components_ = info.num_components;
    bitCount_ = info.jpeg_color_space == JCS_GRAYSCALE ? 8 : 24;
    progressive_ = info.progressive_mode != FALSE;
    comments_.clear();
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == JPEG_COM)
            comments_.emplace_back(reinterpret_cast<const char*>(m->data), m->data_length);
    warnings_ = static_cast<int>(d->err.pub.num_warnings);
}

int TJPEGImage::ScaledWidth() const { return ScaledSide(width_, ScaleLog2(scale_)); }
int TJPEGImage::ScaledHeight() const { return ScaledSide(height_, ScaleLog2(scale_)); }

void TJPEGImage::SetDecodeLimits(int maxWidth, int maxHeight, int targetWidth, int targetHeight,
                                 int mode) {
    maxWidth_ = maxWidth;
    maxHeight_ = maxHeight;
    targetWidth_ = targetWidth;
    targetHeight_ = targetHeight;
    dither_ = mode <= 0 ? jdOrdered : mode == 1 ? jdNone : jdErrorDiffusion;
}

void TJPEGImage::DecodeInto(TBitmap& bitmap, TCanvas* progressCanvas, const TRect& progressRect) {
    Decode(bitmap, ScaleLog2(scale_), progressCanvas, progressRect);
}

void TJPEGImage::DecodeToBitmap(TBitmap& bitmap) {
    if (maxWidth_ > 0 && maxHeight_ > 0 && width_ > maxWidth_ && height_ > maxHeight_) {
        bitmap.FreeImage();
        return;
    }
    int w = width_;
    int h = height_;
    int halvings = 0;
    if (targetWidth_ > 0 && targetHeight_ > 0) {
        const int limitW = targetWidth_ * 3 / 4;
        const int limitH = targetHeight_ * 3 / 4;
        while (halvings < 6 && (h > limitH || w > limitW)) {
            w /= 2;
            h /= 2;
            ++halvings;
        }
    }
    Decode(bitmap, std::min(halvings, 3), nullptr, TRect());
}

void TJPEGImage::Decode(TBitmap& bitmap, int scaleLog2, TCanvas* canvas, const TRect& rect) {
    warnings_ = 0;
    Decoder d;
    if (!BeginDecode(d.get(), data_.data(), data_.size(), false))
        Fail(d->err.code, d->err.message);
    jpeg_decompress_struct& info = d->info;

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const bool grey = !cmyk && (info.jpeg_color_space == JCS_GRAYSCALE || grayscale_);
    const bool quantize = !cmyk && !grey && pixelFormat_ == jf8Bit;
    const bool fast = performance_ == jpBestSpeed;

    // Check the output size before libjpeg or the bitmap allocates anything.
    const int64_t outWidth = ScaledSide(static_cast<int>(info.image_width), scaleLog2);
    const int64_t outHeight = ScaledSide(static_cast<int>(info.image_height), scaleLog2);
    if (!PictureSizeAllowed(outWidth, outHeight))
        Fail(JERR_IMAGE_TOO_BIG, "JPEG image too large to decode (" + std::to_string(outWidth) +
                                     " x " + std::to_string(outHeight) + " pixels)");
    info.scale_num = 1;
    info.scale_denom = 1u << scaleLog2;
    info.dct_method = fast ? JDCT_IFAST : JDCT_ISLOW;
    info.do_fancy_upsampling = fast ? FALSE : TRUE;
    if (cmyk) {
        info.out_color_space = JCS_CMYK;
    } else if (grey) {
        info.out_color_space = JCS_GRAYSCALE;
    } else if (quantize) {
        info.out_color_space = JCS_RGB;
        info.quantize_colors = TRUE;
        info.desired_number_of_colors = 256;
        info.two_pass_quantize = fast ? FALSE : TRUE;
        info.dither_mode = dither_ == jdNone ? JDITHER_NONE
                           : dither_ == jdOrdered ? JDITHER_ORDERED
                                                  : JDITHER_FS;
    } else {
        // libjpeg-turbo writes blue-green-red, the bitmap's own byte order.
        info.out_color_space = JCS_EXT_BGR;
    }
    if (!StartDecode(d.get()))
        Fail(d->err.code, d->err.message);

    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    const TPixelFormat format = (grey || quantize) ? pf8bit : pf24bit;
    if (bitmap.Empty() || bitmap.PixelFormat() != format || bitmap.Width() != width ||
        bitmap.Height() != height) {
        bitmap.FreeImage();
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(width, height);
    }
    if (grey || quantize) {
        std::vector<PALETTEENTRY> entries;
        if (grey) {
            for (int i = 0; i < 256; ++i) {
                const auto v = static_cast<uint8_t>(i);
                entries.push_back({v, v, v, 0});
            }
        } else {
            for (int i = 0; i < info.actual_number_of_colors; ++i)
                entries.push_back({info.colormap[0][i], info.colormap[1][i], info.colormap[2][i], 0});
        }
        bitmap.SetPalette(CreatePalette(entries));
    }

    // CMYK rows are decoded into scratch rows and converted; all others land
    // straight in the bitmap.
    const int batch = 16;
    std::vector<uint8_t> scratch;
    if (cmyk)
        scratch.resize(static_cast<size_t>(width) * 4 * batch);
    std::vector<JSAMPROW> rows(batch);
    int lastStep = 0;
    int y = 0;
    bool ok = true;
    while (y < height) {
        const int count = std::min(batch, height - y);
        for (int i = 0; i < count; ++i)
            rows[i] = cmyk ? scratch.data() + static_cast<size_t>(i) * width * 4 : bitmap.ScanLine(y + i);
        int done = 0;
        ok = ReadRows(d.get(), rows.data(), count, &done);
        if (cmyk) {
            for (int i = 0; i < done; ++i) {
                const uint8_t* in = rows[i];
                uint8_t* out = bitmap.ScanLine(y + i);
                for (int x = 0; x < width; ++x, in += 4, out += 3) {
                    out[0] = InkTimesBlack(in[2], in[3]);
                    out[1] = InkTimesBlack(in[1], in[3]);
                    out[2] = InkTimesBlack(in[0], in[3]);
                }
            }
        }
        y += done;
        if (!ok || done == 0)
            break;
        const int step = static_cast<int>(static_cast<int64_t>(y) * 100 / height) / 5 * 5;
        if (step >= 5 && step != lastStep) {
            lastStep = step;
            if (canvas) {
                const int length = std::abs(rect.Left - rect.Right) * step / 100;
                canvas->FillRect(Rect(rect.Left, rect.Top, rect.Left + length, rect.Bottom));
            }
            if (OnProgress)
                OnProgress(step);
        }
    }
    if (ok && y == height)
        ok = FinishDecode(d.get());
    warnings_ = static_cast<int>(d->err.pub.num_warnings);
    if (!ok) {
        if (retryRead_) {
            lastError_ = jpegcode::FromLibrary(d->err.code);
            return;
        }
        Fail(d->err.code, d->err.message);
    }
    bitmap.Changed();
}

// ---------------------------------------------------------------------------

void TJPEGImage::Assign(const TBitmap& bitmap) { bitmap_.Assign(&bitmap); }

void TJPEGImage::Compress() {
    TJPEGEncodeOptions options;
    options.quality = quality_;
    options.progressive = progressiveEncoding_;
    options.grayscale = grayscale_;
    Compress(options);
}

void TJPEGImage::CompressJPEG(bool subsample, bool optimize, bool floatDct, int scale,
                              int smoothing) {
    TJPEGEncodeOptions options;
    options.quality = scale;
    options.linearScale = true;
    options.progressive = progressiveEncoding_;
    options.grayscale = grayscale_;
    options.optimizeHuffman = optimize;
    options.dctMethod = floatDct ? jdFloat : jdIntegerSlow;
    options.subsample = subsample;
    options.smoothing = smoothing;
    Compress(options);
}

void TJPEGImage::Compress(const TJPEGEncodeOptions& options) {
    if (bitmap_.Empty())
        throw EJPEG("Cannot compress an empty picture");
    const int width = bitmap_.Width();
    const int height = bitmap_.Height();
    const TPixelFormat format = bitmap_.PixelFormat();
    // 24- and 32-bit rows go to libjpeg as they are; other depths are
    // converted row by row into a blue-green-red scratch row.
    const bool direct = format == pf24bit || format == pf32bit;

    EncodeSettings settings{};
    settings.width = width;
    settings.height = height;
    settings.inputComponents = format == pf32bit ? 4 : 3;
    settings.inputSpace = format == pf32bit ? JCS_EXT_BGRX : JCS_EXT_BGR;
    settings.grayscale = options.grayscale;
    settings.linearScale = options.linearScale;
    settings.quality = options.linearScale ? std::max(options.quality, 1)
                                           : std::clamp(options.quality, 1, 100);
    settings.progressive = options.progressive;
    settings.optimize = options.optimizeHuffman;
    settings.dct = options.dctMethod == jdFloat        ? JDCT_FLOAT
                   : options.dctMethod == jdIntegerFast ? JDCT_IFAST
                                                        : JDCT_ISLOW;
    settings.subsample = options.subsample;
    settings.smoothing = std::clamp(options.smoothing, 0, 100);
    settings.comment = comment_.data();
    settings.commentLength = std::min<size_t>(comment_.size(), 65533);

    TMemoryStream out;
    // Room for a third of the raw pixels: rarely outgrown, and pages never
    // written are never touched.
    out.Reserve(int64_t(width) * height);
    std::vector<JOCTET> buffer(65536);
    std::vector<uint8_t> scratch;
    if (!direct)
        scratch.resize(static_cast<size_t>(width) * 3);
    const TPixelBuffer* pixels = bitmap_.CanvasPixels();

    Encoder e;
    if (!BeginEncode(e.get(), &out, buffer.data(), buffer.size(), &settings))
        Fail(e->err.code, e->err.message);
    for (int y = 0; y < height; ++y) {
        JSAMPROW row;
        if (direct) {
            row = bitmap_.ScanLine(y);
        } else {
            uint8_t* o = scratch.data();
            if (format == pf8bit) {
                const uint8_t* in = pixels->ScanLine(y);
                const std::vector<uint32_t>& table = pixels->ColorTable;
                for (int x = 0; x < width; ++x, o += 3) {
                    const uint32_t c = in[x] < table.size() ? table[in[x]] : 0;
                    o[0] = static_cast<uint8_t>(c);
                    o[1] = static_cast<uint8_t>(c >> 8);
                    o[2] = static_cast<uint8_t>(c >> 16);
                }
            } else {
                for (int x = 0; x < width; ++x, o += 3) {
                    const uint32_t c = pixels->GetColor(x, y);
                    o[0] = static_cast<uint8_t>(c);
                    o[1] = static_cast<uint8_t>(c >> 8);
                    o[2] = static_cast<uint8_t>(c >> 16);
                }
            }
            row = scratch.data();
        }
        if (!WriteRows(e.get(), &row, 1))
            Fail(e->err.code, e->err.message);
    }
    if (!FinishEncode(e.get()))
        Fail(e->err.code, e->err.message);

    data_ = out.TakeBytes();
    ReadHeader();
}

void TJPEGImage::SaveToStream(TStream& stream) const {
    if (!data_.empty())
        stream.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

void TJPEGImage::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

}  // namespace lumvor
