// Extracting a 200 MB deflated archive with TVCLUnZip against `unzip -o -q`
// (a whole process, the usual tool), and our inflater against zlib's on the
// same raw deflate streams, both writing into a discarded buffer.
//
// The archive (20 files of 10 MB: word text and noisy sensor-like bytes) is
// made on first use in the temporary folder by Info-ZIP `zip -6` and kept there.
#include "zip/reader/VCLUnZip.h"
#include "zip/reader/ZipDecoders.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace lumvor;

namespace {

const fs::path& Folder() {
    static const fs::path folder = fs::temp_directory_path() / "lumvor_bench_zip";
    return folder;
}

const std::string& Archive() {
    static const std::string path = [] {
        const fs::path archive = Folder() / "big.zip";
        if (fs::exists(archive))
            return archive.string();
        const fs::path src = Folder() / "src";
        fs::create_directories(src);
        static const char* kWords[] = {"picture", "album", "slide", "frame", "colour", "light", "shadow",
                                       "lens",    "print", "zoom",  "focus", "crop",   "scale", "rotate"};
        uint32_t seed = 12345;
        auto next = [&] { return seed = seed * 1103515245u + 12345u; };
        for (int f = 0; f < 20; ++f) {
            std::string data;
            data.reserve(10 << 20);
            while (data.size() < (10u << 20)) {
                if (f % 2 == 0) {
                    data += kWords[(next() >> 16) % 14];
                    data += (next() & 0x700) ? ' ' : '\n';
                } else {
                    // A slowly drifting signal with noise in the low bits.
                    int v = 128 + static_cast<int>((data.size() >> 6) % 64) - 32;
                    data += static_cast<char>(v + static_cast<int>((next() >> 16) & 7));
                }
            }
            std::ofstream(src / ("file" + std::to_string(f) + ".dat"), std::ios::binary) << data;
        }
        const std::string command = "cd '" + src.string() + "' && zip -q -6 -r '" + archive.string() + "' .";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "zip failed\n");
        fs::remove_all(src);
        return archive.string();
    }();
    return path;
}

struct RawStream {
    std::vector<uint8_t> data;
    uint32_t size;
};

// The deflated streams of the archive, read from its local headers.
const std::vector<RawStream>& Streams() {
    static const std::vector<RawStream> streams = [] {
        std::ifstream in(Archive(), std::ios::binary);
        std::string s(std::istreambuf_iterator<char>(in), {});
        auto le = [&](size_t pos, int bytes) {
            uint32_t v = 0;
            for (int i = bytes - 1; i >= 0; --i)
                v = v << 8 | static_cast<uint8_t>(s[pos + i]);
            return v;
        };
        std::vector<RawStream> result;
        size_t pos = 0;
        while (pos + 30 <= s.size() && le(pos, 4) == 0x04034B50) {
            uint32_t packed = le(pos + 18, 4);
            size_t start = pos + 30 + le(pos + 26, 2) + le(pos + 28, 2);
            if (le(pos + 8, 2) == 8)
                result.push_back({std::vector<uint8_t>(s.begin() + start, s.begin() + start + packed), le(pos + 22, 4)});
            pos = start + packed;
        }
        return result;
    }();
    return streams;
}

int64_t TotalSize() {
    int64_t total = 0;
    for (const RawStream& s : Streams())
        total += s.size;
    return total;
}

void ExtractOurs(benchmark::State& state) {
    TotalSize();  // makes the archive before the clock runs
    const std::string out = (Folder() / "ours").string();
    for (auto _ : state) {
        TVCLUnZip zip;
        zip.DoProcessMessages = false;
        zip.SetZipName(Archive());
        zip.SetDestDir(out);
        zip.DoAll = true;
        zip.OverwriteMode = Always;
        benchmark::DoNotOptimize(zip.UnZip());
    }
    state.SetBytesProcessed(state.iterations() * TotalSize());
}

void ExtractUnzip(benchmark::State& state) {
    TotalSize();
    const std::string command = "unzip -o -q '" + Archive() + "' -d '" + (Folder() / "theirs").string() + "'";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
    state.SetBytesProcessed(state.iterations() * TotalSize());
}

class DiscardFrame : public TUnZipFrame {
public:
    void Start(const RawStream& s) {
        input_ = &s.data;
        given_ = false;
        BeginEntry(s.size);
    }
    bool FillInput() override {
        if (given_)
            return false;
        given_ = true;
        InPtr = input_->data();
        InEnd = InPtr + input_->size();
        return true;
    }
    void WriteChunk(const uint8_t* data, size_t count) override { benchmark::DoNotOptimize(data[count - 1]); }
    void ShowMessage(const std::string&, const std::string&) override {}

private:
    const std::vector<uint8_t>* input_ = nullptr;
    bool given_ = false;
};

void InflateOurs(benchmark::State& state) {
    DiscardFrame frame;
    for (auto _ : state) {
        for (const RawStream& s : Streams()) {
            frame.Start(s);
            benchmark::DoNotOptimize(Inflate(frame));
            frame.FlushOutput();
        }
    }
    state.SetBytesProcessed(state.iterations() * TotalSize());
}

void InflateZlib(benchmark::State& state) {
    std::vector<uint8_t> out(TUnZipFrame::OutBufferSize);
    for (auto _ : state) {
        for (const RawStream& s : Streams()) {
            z_stream z{};
            inflateInit2(&z, -MAX_WBITS);
            z.next_in = const_cast<Bytef*>(s.data.data());
            z.avail_in = static_cast<uInt>(s.data.size());
            int rc = Z_OK;
            while (rc == Z_OK) {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                rc = inflate(&z, Z_NO_FLUSH);
                benchmark::DoNotOptimize(out[0]);
            }
            inflateEnd(&z);
        }
    }
    state.SetBytesProcessed(state.iterations() * TotalSize());
}

BENCHMARK(ExtractOurs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ExtractUnzip)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(InflateOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(InflateZlib)->Unit(benchmark::kMillisecond);

}  // namespace
