// The zip reader against Info-ZIP's zipinfo and unzip, on fixtures made by
// Info-ZIP zip and Python's zipfile, and against hostile archives.
#include "zip/reader/VCLUnZip.h"

#include "support/case_names.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace lumvor;

namespace {

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/zip/" + name; }

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << data;
}

std::string Shell(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        ::pclose(pipe);
    }
    return output;
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "lumvor-zip-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto& e : fs::recursive_directory_iterator(path_, ec))
            if (!e.is_symlink())
                fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Everything a user sees of one extracted file.
struct FileFacts {
    std::string content;
    int64_t mtime;
    unsigned mode;
    bool operator==(const FileFacts&) const = default;
};

std::map<std::string, FileFacts> Tree(const std::string& root) {
    std::map<std::string, FileFacts> files;
    for (auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file())
            continue;
        struct stat st {};
        ::stat(e.path().c_str(), &st);
        files[fs::relative(e.path(), root).string()] =
            FileFacts{ReadAll(e.path().string()), static_cast<int64_t>(st.st_mtime), st.st_mode & 07777u};
    }
    return files;
}

class ZipTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        zip.DoProcessMessages = false;
        zip.OnSkippingFile = [this](TVCLUnZip*, TSkipReason reason, int index) {
            skips.push_back({reason, zip.Pathname(index)});
        };
        zip.OnBadCRC = [this](TVCLUnZip*, uint32_t, uint32_t, int index) { badCrc.push_back(zip.Pathname(index)); };
    }

    int ExtractAll(const std::string& archive, const std::string& dest) {
        zip.SetZipName(archive);
        zip.SetDestDir(dest);
        zip.RecreateDirs = true;
        zip.DoAll = true;
        zip.OverwriteMode = Always;
        return zip.UnZip();
    }

    TVCLUnZip zip;
    std::vector<std::pair<TSkipReason, std::string>> skips;
    std::vector<std::string> badCrc;
};

// --- listing against zipinfo -v

struct ListedEntry {
    std::string name, dosTime;
    uint64_t offset = 0, compressed = 0, uncompressed = 0;
    uint32_t crc = 0;
    bool operator==(const ListedEntry&) const = default;
};

std::ostream& operator<<(std::ostream& os, const ListedEntry& e) {
    return os << e.name << " @" << e.offset << " " << e.compressed << "/" << e.uncompressed << " crc " << std::hex
              << e.crc << std::dec << " " << e.dosTime;
}

std::vector<ListedEntry> ZipInfoListing(const std::string& archive) {
    std::istringstream in(Shell("LC_ALL=C.UTF-8 zipinfo -v '" + archive + "'"));
    std::vector<ListedEntry> entries;
    std::string line;
    auto value = [](const std::string& l) {
        size_t colon = l.find(':');
        size_t start = l.find_first_not_of(' ', colon + 1);
        return l.substr(start);
    };
    while (std::getline(in, line)) {
        if (line.rfind("Central directory entry #", 0) == 0) {
            // The name follows the rule, after any note on bytes between entries.
            while (std::getline(in, line) &&
                   (line.empty() || line[0] == '-' || line.find("There are an extra") != std::string::npos)) {
            }
            entries.push_back({});
            entries.back().name = line.substr(2);
        } else if (entries.empty()) {
            continue;
        } else if (line.find("offset of local header") != std::string::npos) {
            entries.back().offset = std::stoull(value(line));
        } else if (line.find("(DOS date/time)") != std::string::npos) {
            entries.back().dosTime = line.substr(line.find_first_not_of(' ', line.find("):") + 2));
        } else if (line.find("32-bit CRC value") != std::string::npos) {
            entries.back().crc = static_cast<uint32_t>(std::stoul(value(line), nullptr, 16));
        } else if (line.find("  compressed size:") == 0) {
            entries.back().compressed = std::stoull(value(line));
        } else if (line.find("  uncompressed size:") == 0) {
            entries.back().uncompressed = std::stoull(value(line));
        }
    }
    return entries;
}

std::string DosText(uint32_t dos) {
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%u %s %u %02u:%02u:%02u", 1980 + (dos >> 25), kMonths[((dos >> 21) & 15) - 1],
                  (dos >> 16) & 31, (dos >> 11) & 31, (dos >> 5) & 63, (dos & 31) * 2);
    return text;
}

class ZipListing : public ZipTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ZipListing, EqualsZipinfo) {
    const std::string archive = Fixture(GetParam());
    std::vector<ListedEntry> expected = ZipInfoListing(archive);
    ASSERT_FALSE(expected.empty());
    zip.SetZipName(archive);
    zip.ReadZip();
    std::vector<ListedEntry> ours;
    for (int i = 0; i < zip.Count(); ++i) {
        const TZipHeaderInfo& e = zip.Entry(i);
        ours.push_back({zip.Pathname(i), DosText(e.DateTime), e.RelativeOffset, zip.CompressedSize(i),
                        zip.UncompressedSize(i), e.CRC32});
    }
    EXPECT_EQ(ours, expected);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ZipListing,
                         ::testing::Values("tree.zip", "deflate_levels.zip", "python_utf8.zip", "encrypted.zip",
                                           "zip64.zip", "comment_65535.zip", "traversal.zip", "bomb.zip"),
                         test::CaseNames<>);

// --- extraction against unzip

class ZipExtraction : public ZipTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ZipExtraction, EqualsUnzip) {
    const std::string archive = Fixture(GetParam());
    TempDir theirs, ours;
    Shell("LC_ALL=C.UTF-8 unzip -o -q -P secret '" + archive + "' -d '" + theirs.Path() + "'");
    auto expected = Tree(theirs.Path());
    ASSERT_FALSE(expected.empty());
    zip.Password = "secret";
    int written = ExtractAll(archive, ours.Path());
    auto got = Tree(ours.Path());
    EXPECT_EQ(written, zip.Count());  // folder entries count as extracted too
    ASSERT_EQ(got.size(), expected.size());
    for (auto& [name, facts] : expected) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(got.count(name));
        EXPECT_EQ(got[name].content, facts.content);
        EXPECT_EQ(got[name].mtime, facts.mtime);
        EXPECT_EQ(got[name].mode, facts.mode) << std::oct << got[name].mode << " vs " << facts.mode;
    }
    EXPECT_TRUE(skips.empty());
    EXPECT_TRUE(badCrc.empty());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ZipExtraction,
                         ::testing::Values("tree.zip", "deflate_levels.zip", "python_utf8.zip", "encrypted.zip",
                                           "zip64.zip", "shrunk.zip", "imploding-4Kdict-2trees.zip",
                                           "imploding-8Kdict-3trees.zip", "lorem-ipsum-implode.zip",
                                           "moby-imploded-part.zip", "shrunk_clear.zip", "imploded_variants.zip"),
                         test::CaseNames<>);

// No tool at hand decodes reduced entries; the archive carries its data stored.
TEST_F(ZipTest, ReducedEntriesEqualTheStoredCopy) {
    TempDir dir;
    EXPECT_EQ(ExtractAll(Fixture("reduced.zip"), dir.Path()), 5);
    const std::string original = ReadAll(dir / "original.txt");
    ASSERT_EQ(original.size(), 12328u);
    for (int factor = 1; factor <= 4; ++factor)
        EXPECT_EQ(ReadAll(dir / ("factor" + std::to_string(factor) + ".txt")), original) << factor;
    EXPECT_TRUE(badCrc.empty());
}

// A reduced entry whose declared size outgrows its data: within the possible
// ratio the decoder stops soon after the data end and the CRC check removes the
// file; beyond it the entry is refused before anything is written.
TEST_F(ZipTest, OldMethodBombsStop) {
    TempDir dir;
    std::string data = ReadAll(Fixture("reduced.zip"));
    auto setSize = [&](const std::string& name, uint32_t size) {
        size_t local = data.find(name), central = data.find(name, local + 1);
        for (size_t at : {local - 30 + 22, central - 46 + 24})
            for (int i = 0; i < 4; ++i)
                data[at + i] = static_cast<char>(size >> (8 * i));
    };
    setSize("factor1.txt", 1000000);
    setSize("factor2.txt", 0xFFFFFFF0u);
    WriteAll(dir / "bomb.zip", data);
    EXPECT_EQ(ExtractAll(dir / "bomb.zip", dir / "out"), 3);
    EXPECT_EQ(badCrc, std::vector<std::string>{"factor1.txt"});
    ASSERT_EQ(skips.size(), 1u);
    EXPECT_EQ(skips[0], std::make_pair(srCorrupt, std::string("factor2.txt")));
    EXPECT_FALSE(fs::exists(dir / "out/factor1.txt"));
    EXPECT_FALSE(fs::exists(dir / "out/factor2.txt"));
    EXPECT_TRUE(fs::exists(dir / "out/factor3.txt"));
}

// --- directory behaviour

TEST_F(ZipTest, SortedViewsAndGetters) {
    zip.SetZipName(Fixture("python_utf8.zip"));
    zip.SortMode = ByFileName;
    zip.ReadZip();
    ASSERT_EQ(zip.Count(), 3);
    EXPECT_EQ(zip.Filename(0), "Photo.JPG");  // "P" < "s" < "é" ignoring case
    EXPECT_EQ(zip.Filename(1), "straße.txt");
    EXPECT_EQ(zip.Pathname(1), "fotos/sommer/straße.txt");
    EXPECT_EQ(zip.Entry(1).Directory(), "fotos/sommer/");
    for (int bad : {3, -1}) {
        try {
            zip.Filename(bad);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), "Index " + std::to_string(bad) + " is out of range");
        }
    }
    // 2022-05-06 07:08:10 as days since 1899-12-30.
    EXPECT_NEAR(zip.DateTime(0), 44687 + (7 * 3600 + 8 * 60 + 10) / 86400.0, 1e-9);

    zip.SortMode = ByUnCompressedSize;
    zip.SetZipName(Fixture("tree.zip"));
    zip.ReadZip();
    for (int i = 1; i < zip.Count(); ++i)
        EXPECT_GE(zip.UncompressedSize(i - 1), zip.UncompressedSize(i));
}

TEST_F(ZipTest, MissingEndRecordAndRecovery) {
    TempDir dir;
    std::string data = ReadAll(Fixture("tree.zip"));
    // Cut inside the central directory: no end record any more.
    WriteAll(dir / "cut.zip", data.substr(0, data.size() - 40));
    zip.SetZipName(dir / "cut.zip");
    bool asked = false;
    zip.OnInCompleteZip = [&](TVCLUnZip*, TIncompleteZipMode& mode) {
        asked = true;
        EXPECT_EQ(mode, izAssumeMulti);
    };
    EXPECT_THROW(
        {
            try {
                zip.ReadZip();
            } catch (const EIncompleteZip& e) {
                EXPECT_EQ(e.Message(), "Incomplete Zip File");
                throw;
            }
        },
        EIncompleteZip);
    EXPECT_TRUE(asked);

    // Recovery: the central directory offset points at garbage.
    zip.OnInCompleteZip = nullptr;
    TVCLUnZip reference;
    reference.SetZipName(Fixture("tree.zip"));
    reference.ReadZip();
    std::string broken = data;
    size_t end = broken.rfind("PK\x05\x06");
    broken[end + 16] = 7;  // offset low byte
    broken[end + 17] = 0;
    broken[end + 18] = 0;
    broken[end + 19] = 0;
    WriteAll(dir / "garbage.zip", broken);
    zip.SetZipName(dir / "garbage.zip");
    zip.ReadZip();
    EXPECT_TRUE(zip.Recovered());
    ASSERT_EQ(zip.Count(), reference.Count());
    for (int i = 0; i < zip.Count(); ++i) {
        EXPECT_EQ(zip.Pathname(i), reference.Pathname(i));
        EXPECT_EQ(zip.Entry(i).ExternalAttributes, reference.Entry(i).ExternalAttributes);
        EXPECT_EQ(zip.Entry(i).RelativeOffset, reference.Entry(i).RelativeOffset);
    }

    // A file of 21 bytes has no end record; with izAssumeBad it lists empty.
    WriteAll(dir / "tiny.zip", std::string(21, 'P'));
    zip.SetZipName(dir / "tiny.zip");
    zip.IncompleteZipMode = izAssumeBad;
    zip.ReadZip();
    EXPECT_EQ(zip.Count(), 0);
}

// --- extraction rules

TEST_F(ZipTest, PatternsRootDirAndOverwriteModes) {
    TempDir dir;
    zip.SetZipName(Fixture("tree.zip"));
    zip.SetDestDir(dir.Path());
    zip.RecreateDirs = true;
    zip.SetRootDir("photos");
    zip.FilesList.Add("*.jpg");
    EXPECT_EQ(zip.UnZip(), 2);  // a.jpg and b.JPG in any folder
    EXPECT_TRUE(fs::exists(dir / "2001/a.jpg"));
    EXPECT_TRUE(fs::exists(dir / "b.JPG"));

    // Prompt renames the existing file out of the way.
    zip.RecreateDirs = false;
    TStringList patterns;
    patterns.Add("photos\\[a-c].JPG");
    zip.SetFilesList(patterns);
    zip.OverwriteMode = Prompt;
    WriteAll(dir / "b.1.jpg", "taken");
    EXPECT_EQ(zip.UnZip(), 1);
    EXPECT_EQ(ReadAll(dir / "b.1.jpg"), "taken");
    EXPECT_TRUE(fs::exists(dir / "b.2.jpg"));
    EXPECT_EQ(ReadAll(dir / "b.2.jpg"), ReadAll(dir / "b.JPG"));

    zip.OverwriteMode = Never;
    EXPECT_EQ(zip.UnZip(), 0);
    ASSERT_EQ(skips.size(), 1u);
    EXPECT_EQ(skips[0].first, srNoOverwrite);

    zip.SetDestDir("?");
    EXPECT_EQ(zip.UnZip(), 0);
}

TEST(ZipWildcard, Patterns) {
    struct Case {
        const char *pattern, *subject;
        bool match;
    } cases[] = {
        {"*.jpg", "Photo.JPG", true},   {"*", "", true},           {"?", "é", true},
        {"a?c", "abc", true},           {"a?c", "ac", false},      {"[a-c]x", "Bx", true},
        {"[c-a]x", "bx", true},         {"[!a-c]x", "bx", false},  {"[^a-c]x", "dx", true},
        {"[]x", "x", false},            {"[abc", "a", false},      {"*a*b*c", "xxaxxbxxc", true},
        {"*.jpg", "photo.jpeg", false}, {"photos/*", "photos/2001/a.jpg", true},
    };
    for (auto& c : cases)
        EXPECT_EQ(ZipWildcardMatch(c.pattern, c.subject), c.match) << c.pattern << " / " << c.subject;
}

TEST_F(ZipTest, Passwords) {
    TempDir dir;
    // Without a handler a wrong password skips with reason 0; the plain
    // neighbours are unaffected.
    zip.Password = "wrong";
    EXPECT_EQ(ExtractAll(Fixture("encrypted.zip"), dir.Path()), 0);
    ASSERT_EQ(skips.size(), 3u);
    for (auto& s : skips)
        EXPECT_EQ(s.first, srBadPassword);
    EXPECT_TRUE(Tree(dir.Path()).empty());

    // A handler that supplies the right password extracts in the same call.
    skips.clear();
    int asked = 0;
    zip.Password = "wrong";
    zip.OnBadPassword = [&](TVCLUnZip*, int, std::string& password) {
        ++asked;
        password = "secret";
    };
    EXPECT_EQ(zip.UnZip(), 3);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(skips.empty());
    EXPECT_EQ(ReadAll(dir / "docs/readme.txt"), "hello\n");
}

TEST_F(ZipTest, CorruptedDeflateLeavesNoFile) {
    TempDir dir;
    std::string data = ReadAll(Fixture("tree.zip"));
    TVCLUnZip reference;
    reference.SetZipName(Fixture("tree.zip"));
    reference.ReadZip();
    int index = -1;
    for (int i = 0; i < reference.Count(); ++i)
        if (reference.Pathname(i) == "photos/2001/a.jpg")
            index = i;
    ASSERT_GE(index, 0);
    size_t pos = reference.Entry(index).RelativeOffset + 30 + reference.Pathname(index).size() + 400;
    data[pos] = static_cast<char>(data[pos] ^ 0x55);
    WriteAll(dir / "bad.zip", data);
    int written = ExtractAll(dir / "bad.zip", dir / "out");
    EXPECT_EQ(written, reference.Count() - 1);
    EXPECT_EQ(badCrc, std::vector<std::string>{"photos/2001/a.jpg"});
    EXPECT_FALSE(fs::exists(dir / "out/photos/2001/a.jpg"));
    EXPECT_TRUE(fs::exists(dir / "out/photos/b.JPG"));
}

// A damaged or cancelled entry never replaces the file it would have
// renamed out of the way, and leaves no scratch file behind.
TEST_F(ZipTest, AFailedEntryKeepsTheFileItsTargetHeld) {
    TempDir dir;
    std::string data = ReadAll(Fixture("tree.zip"));
    const std::string good = dir / "good.zip", bad = dir / "bad.zip";
    WriteAll(good, data);
    const size_t name = data.find("photos/2001/a.jpg");
    ASSERT_NE(name, std::string::npos);
    data[name + 17 + 400] = static_cast<char>(data[name + 17 + 400] ^ 0x55);
    WriteAll(bad, data);
    const std::string target = dir / "out/photos/2001/a.jpg";
    auto filesIn = [&] {
        std::vector<std::string> names;
        for (auto& e : fs::recursive_directory_iterator(dir / "out/photos/2001"))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };

    ExtractAll(good, dir / "out");
    WriteAll(target, "mine");
    zip.ClearZip();
    zip.SetZipName(bad);
    zip.OverwriteMode = Prompt;
    zip.UnZip();
    EXPECT_EQ(badCrc, std::vector<std::string>{"photos/2001/a.jpg"});
    EXPECT_EQ(ReadAll(target), "mine");
    EXPECT_EQ(filesIn(), std::vector<std::string>{"a.jpg"});

    // Cancelled after the first chunk of the same entry, in the intact archive.
    zip.ClearZip();
    zip.SetZipName(good);
    zip.OnTotalPercentDone = [this](TVCLUnZip*, int) { zip.CancelOperation = true; };
    zip.DoProcessMessages = true;
    EXPECT_THROW(zip.UnZip(), EUserCanceled);
    EXPECT_EQ(ReadAll(target), "mine");
    EXPECT_EQ(filesIn(), std::vector<std::string>{"a.jpg"});
}

TEST_F(ZipTest, TruncatedArchiveRaisesPrematureEnd) {
    TempDir dir;
    std::string data = ReadAll(Fixture("deflate_levels.zip"));
    WriteAll(dir / "short.zip", data.substr(0, data.size() / 2));
    zip.IncompleteZipMode = izAssumeBad;
    try {
        ExtractAll(dir / "short.zip", dir / "out");
        ADD_FAILURE() << "no error";
    } catch (const EFatalUnzipError& e) {
        EXPECT_EQ(e.Message(), "Premature end of file reached");
    }
    // The entry being written when the data ran out is not left half-made.
    auto files = Tree(dir / "out");
    std::string text;
    for (auto& [name, facts] : files) {
        if (text.empty())
            text = facts.content;
        EXPECT_EQ(facts.content, text) << name << " is incomplete";
    }
}

// --- hostile archives

TEST_F(ZipTest, HostilePathsStayInside) {
    TempDir outer;
    const std::string dest = outer / "target";
    ::unlink("/tmp/lumvor_evil_absolute.txt");
    ExtractAll(Fixture("traversal.zip"), dest);
    EXPECT_FALSE(fs::exists(outer / "evil_parent.txt"));
    EXPECT_FALSE(fs::exists(outer / "evil_climb.txt"));
    EXPECT_FALSE(fs::exists("/tmp/lumvor_evil_absolute.txt"));
    EXPECT_TRUE(fs::exists(dest + "/good/ok.txt"));
    ASSERT_EQ(skips.size(), 3u);
    for (auto& s : skips)
        EXPECT_EQ(s.first, srUnsafePath) << s.second;

    // A link entry is refused, and so is anything below a link already there.
    skips.clear();
    ::unlink("/tmp/lumvor_evil_link.txt");
    ExtractAll(Fixture("symlink.zip"), dest);
    EXPECT_FALSE(fs::exists("/tmp/lumvor_evil_link.txt"));
    EXPECT_FALSE(fs::is_symlink(dest + "/link"));
    EXPECT_TRUE(fs::exists(dest + "/plain.txt"));
    skips.clear();
    fs::remove_all(dest + "/link");
    fs::create_directory_symlink(outer.Path(), dest + "/link");
    ExtractAll(Fixture("symlink.zip"), dest);
    EXPECT_FALSE(fs::exists(outer / "lumvor_evil_link.txt"));
    EXPECT_EQ(skips.size(), 2u);
    // An existing output file that is a link is never written through.
    skips.clear();
    WriteAll(outer / "victim.txt", "keep");
    fs::remove(dest + "/plain.txt");
    fs::create_symlink(outer / "victim.txt", dest + "/plain.txt");
    ExtractAll(Fixture("symlink.zip"), dest);
    EXPECT_EQ(ReadAll(outer / "victim.txt"), "keep");
}

TEST_F(ZipTest, BombsStopAtTheBound) {
    TempDir dir;
    int written = ExtractAll(Fixture("bomb.zip"), dir.Path());
    EXPECT_EQ(written, 1);
    EXPECT_EQ(ReadAll(dir / "fine.txt"), "fine\n");
    EXPECT_FALSE(fs::exists(dir / "bomb_small_declared.txt"));
    EXPECT_FALSE(fs::exists(dir / "bomb_huge_declared.txt"));
    EXPECT_EQ(badCrc, std::vector<std::string>{"bomb_small_declared.txt"});
    ASSERT_EQ(skips.size(), 1u);
    EXPECT_EQ(skips[0].first, srCorrupt);
}

TEST_F(ZipTest, LongestCommentLists) {
    zip.SetZipName(Fixture("comment_65535.zip"));
    zip.ReadZip();
    ASSERT_EQ(zip.Count(), 1);
    EXPECT_EQ(zip.Filename(0), "a.txt");
    EXPECT_EQ(zip.EndRecord().ZipCommentLength, 65535);

    // A stray end-record signature inside the comment is not taken for the
    // real one: its comment would run past the end of the file.
    TempDir dir;
    std::string data = ReadAll(Fixture("comment_65535.zip"));
    data.replace(data.size() - 40, 4, "PK\x05\x06");
    WriteAll(dir / "stray.zip", data);
    zip.SetZipName(dir / "stray.zip");
    zip.ReadZip();
    ASSERT_EQ(zip.Count(), 1);
    EXPECT_EQ(zip.Filename(0), "a.txt");
}

// Flipped bytes and cut-offs at deterministic places: the reader raises its
// errors or skips, and never crashes, hangs or writes outside the target.
TEST_F(ZipTest, MutationsNeverCrash) {
    TempDir dir;
    const char* fixtures[] = {"tree.zip",         "encrypted.zip",          "python_utf8.zip",
                              "zip64.zip",        "traversal.zip",          "symlink.zip",
                              "bomb.zip",         "shrunk.zip",             "shrunk_clear.zip",
                              "reduced.zip",      "imploded_variants.zip",  "moby-imploded-part.zip",
                              "imploding-4Kdict-2trees.zip"};
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (const char* name : fixtures) {
        const std::string original = ReadAll(Fixture(name));
        for (int round = 0; round < 60; ++round) {
            std::string data = original;
            if (round % 4 == 3) {
                data.resize(next() % data.size());
            } else {
                for (int k = 0; k <= round % 3; ++k)
                    data[next() % data.size()] = static_cast<char>(next() >> 16);
            }
            const std::string path = dir / "mutant.zip";
            WriteAll(path, data);
            TVCLUnZip z;
            z.DoProcessMessages = false;
            z.IncompleteZipMode = round % 2 ? izAssumeBad : izAssumeMulti;
            z.SetZipName(path);
            z.SetDestDir(dir / "out");
            z.RecreateDirs = true;
            z.DoAll = true;
            z.OverwriteMode = Always;
            try {
                z.UnZip();
            } catch (const Exception&) {
            }
        }
    }
    for (auto& e : fs::directory_iterator(dir.Path()))
        EXPECT_TRUE(e.path().filename() == "out" || e.path().filename() == "mutant.zip") << e.path();
}

// --- entry names and methods

// One stored entry in a zip made byte by byte: the raw name, its flags, the
// extra field and the method, as other tools write them.
struct RawEntry {
    std::string name;
    uint16_t flags = 0;
    std::string extra;
    uint16_t method = 0;
    std::string data = "x";
};

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

uint32_t Crc(const std::string& s) {
    return static_cast<uint32_t>(::crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

// Info-ZIP's Unicode path extra field (0x7075) naming utf8 for the raw name whose
// CRC-32 is rawCrc.
std::string UnicodePathExtra(const std::string& utf8, uint32_t rawCrc) {
    std::string field;
    Put16(field, 0x7075);
    Put16(field, static_cast<uint32_t>(5 + utf8.size()));
    field += '\x01';
    Put32(field, rawCrc);
    return field + utf8;
}

std::string BuildZip(const std::vector<RawEntry>& entries) {
    std::string zip, central;
    for (const RawEntry& e : entries) {
        const uint32_t offset = static_cast<uint32_t>(zip.size());
        auto common = [&](std::string& out) {
            Put16(out, 20);
            Put16(out, e.flags);
            Put16(out, e.method);
            Put16(out, 0);       // time
            Put16(out, 0x5421);  // 2022-01-01
            Put32(out, Crc(e.data));
            Put32(out, static_cast<uint32_t>(e.data.size()));
            Put32(out, static_cast<uint32_t>(e.data.size()));
            Put16(out, static_cast<uint32_t>(e.name.size()));
            Put16(out, static_cast<uint32_t>(e.extra.size()));
        };
        Put32(zip, 0x04034b50);
        common(zip);
        zip += e.name + e.extra + e.data;
        Put32(central, 0x02014b50);
        Put16(central, 0x031E);  // made on Unix
        common(central);
        Put16(central, 0);  // comment
        Put16(central, 0);  // disk
        Put16(central, 0);  // internal attributes
        Put32(central, 0100644u << 16);
        Put32(central, offset);
        central += e.name + e.extra;
    }
    const uint32_t centralOffset = static_cast<uint32_t>(zip.size());
    zip += central;
    Put32(zip, 0x06054b50);
    Put16(zip, 0);
    Put16(zip, 0);
    Put16(zip, static_cast<uint32_t>(entries.size()));
    Put16(zip, static_cast<uint32_t>(entries.size()));
    Put32(zip, static_cast<uint32_t>(central.size()));
    Put32(zip, centralOffset);
    Put16(zip, 0);
    return zip;
}

struct NameCase {
    const char* label;
    RawEntry entry;
    std::string expected;  // the name as UTF-8
};

class ZipNames : public ZipTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ZipNames, DecodeAsTheirMakerMeant) {
    TempDir dir;
    WriteAll(dir / "names.zip", BuildZip({GetParam().entry}));
    zip.SetZipName(dir / "names.zip");
    zip.ReadZip();
    ASSERT_EQ(zip.Count(), 1);
    EXPECT_EQ(zip.Filename(0), GetParam().expected);
    EXPECT_EQ(ExtractAll(dir / "names.zip", dir / "out"), 1);
    EXPECT_TRUE(fs::exists(dir / ("out/" + GetParam().expected)));
}

const std::string kUtf8Name = "gr\xC3\xBC\xC3\x9F" "e.txt";  // "grüße.txt"
const std::string kCp437Name = "gr\x81\xE1" "e.txt";          // the same in code page 437

INSTANTIATE_TEST_SUITE_P(
    Table, ZipNames,
    ::testing::Values(
        NameCase{"FlaggedUtf8", RawEntry{kUtf8Name, 0x800, ""}, kUtf8Name},
        NameCase{"UnflaggedUtf8FromLinux", RawEntry{kUtf8Name, 0, ""}, kUtf8Name},
        NameCase{"UnflaggedUtf8WithUnicodeField", RawEntry{kUtf8Name, 0, UnicodePathExtra(kUtf8Name, Crc(kUtf8Name))},
                 kUtf8Name},
        NameCase{"Cp437WithUnicodeField", RawEntry{kCp437Name, 0, UnicodePathExtra(kUtf8Name, Crc(kCp437Name))},
                 kUtf8Name},
        NameCase{"Cp437NotValidUtf8", RawEntry{kCp437Name, 0, ""}, kUtf8Name},
        NameCase{"UnicodeFieldOfAnotherName", RawEntry{kCp437Name, 0, UnicodePathExtra("other.txt", Crc("renamed"))},
                 kUtf8Name},
        NameCase{"PlainAscii", RawEntry{"plain.txt", 0, ""}, "plain.txt"}),
    test::CaseNames<&NameCase::label>);

TEST_F(ZipTest, UnknownMethodIsSkippedAsUnsupported) {
    TempDir dir;
    RawEntry unknown{"future.bin", 0, "", 99, "opaque data"};
    RawEntry stored{"fine.txt", 0, "", 0, "fine"};
    WriteAll(dir / "methods.zip", BuildZip({unknown, stored}));
    std::vector<std::string> messages;
    zip.OnMessage = [&](const std::string& text, const std::string& caption, TZipMessageKind) {
        messages.push_back(caption + ": " + text);
    };
    EXPECT_EQ(ExtractAll(dir / "methods.zip", dir / "out"), 1);
    EXPECT_EQ(ReadAll(dir / "out/fine.txt"), "fine");
    EXPECT_FALSE(fs::exists(dir / "out/future.bin"));
    EXPECT_TRUE(badCrc.empty());
    ASSERT_EQ(skips.size(), 1u);
    EXPECT_EQ(skips[0], std::make_pair(srUnsupported, std::string("future.bin")));
    EXPECT_EQ(SkipReasonText(skips[0].first), "compression method not supported");
    EXPECT_EQ(messages, std::vector<std::string>{"Zip Error: Unknown Compression Method"});
}

}  // namespace
