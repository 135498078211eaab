#include "shell/StBase.h"

#include "platform/Folders.h"

#include <QFileInfo>
#include <QString>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lumvor {

namespace {

uint32_t Le32(const std::string& data, size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.data() + at);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

constexpr size_t kHeaderSize = 8;
constexpr size_t kEntrySize = 12;

// The reader's own messages; raised before its own table can be used, so they
// are kept here as well.
const char* const kStringNotFound = "String not found: %d";
const char* const kInvalidResource = "Invalid string resource";

}  // namespace

// ---- Message tables

std::string BuildStringTable(const std::vector<std::pair<int32_t, std::string>>& entries) {
    std::vector<std::pair<int32_t, std::u16string>> sorted;
    for (const auto& [id, text] : entries) sorted.emplace_back(id, QString::fromStdString(text).toStdU16String());
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out = "STR0";
    Put32(out, uint32_t(sorted.size()));
    size_t offset = kHeaderSize + kEntrySize * sorted.size();
    for (const auto& [id, text] : sorted) {
        Put32(out, uint32_t(id));
        Put32(out, uint32_t(offset));
        Put32(out, uint32_t(text.size()));
        offset += text.size() * 2;
    }
    for (const auto& entry : sorted) {
        for (char16_t c : entry.second) {
            out.push_back(char(c & 0xFF));
            out.push_back(char(c >> 8));
        }
    }
    return out;
}

TStStringResource::TStStringResource(std::string resourceName, std::string data, bool reportError)
    : resourceName_(std::move(resourceName)), data_(std::move(data)), reportError_(reportError) {
    if (data_.size() < kHeaderSize || data_.compare(0, 4, "STR0") != 0) throw EStStringResourceError(kInvalidResource);
}

std::string TStStringResource::GetAsString(int32_t id) const {
    const uint64_t count = Le32(data_, 4);
    if (kHeaderSize + count * kEntrySize > data_.size()) throw EStStringResourceError(kInvalidResource);
    // Binary search of the entries, sorted by id.
    uint64_t low = 0, high = count;
    while (low < high) {
        const uint64_t mid = (low + high) / 2;
        const size_t at = kHeaderSize + size_t(mid) * kEntrySize;
        const int32_t entryId = int32_t(Le32(data_, at));
        if (entryId < id) {
            low = mid + 1;
        } else if (entryId > id) {
            high = mid;
        } else {
            const uint64_t offset = Le32(data_, at + 4);
            const uint64_t length = Le32(data_, at + 8);
            if (offset + length * 2 > data_.size()) throw EStStringResourceError(kInvalidResource);
            std::u16string text(size_t(length), u'\0');
            for (size_t i = 0; i < text.size(); ++i) {
                const auto* p = reinterpret_cast<const unsigned char*>(data_.data() + offset + 2 * i);
                text[i] = char16_t(p[0] | p[1] << 8);
            }
            return QString::fromStdU16String(text).toStdString();
        }
    }
    if (reportError_) throw EStStringResourceError(Format(kStringNotFound, {id}));
    return {};
}

const TStStringResource& StResourceMessages() {
    static const TStStringResource table(
        "STSRMGR_STRINGS", BuildStringTable({{1, kStringNotFound},
                                             {2, "Cannot lock resource"},
                                             {3, "String resource not found: %s"},
                                             {4, "Unable to open string resource: %s"},
                                             {5, kInvalidResource}}));
    return table;
}

const TStStringResource& StMessages() {
    static const TStStringResource table(
        "STSHELL_STRINGS_ENGLISH",
        BuildStringTable({{StConst::stscFileOpen, "Error opening file"},
                          {StConst::stscNoVerInfo, "File does not contain version info"},
                          {StConst::stscVerInfoFail, "Unable to read version info"},
                          {StConst::stscShellVersionError, "Operation not supported in this version of the shell"},
                          {StConst::stscShellFileOpSrcError, "No source files specified"},
                          {StConst::stscShellFileOpDstError, "No destination files specified"},
                          {StConst::stscNoPathSpecified, "Destination directory not specified"},
                          {StConst::stscShellLinkError, "Error creating IShellLink"},
                          {StConst::stscShellFileOpMapError, "Cannot use file mappings in a delete operation"},
                          {StConst::stscShellFileOpFileError, "Source file error, file not found"},
                          {StConst::stscKeyNotFound, "The specified key cannnot be found in version info"},
                          {StConst::stscInvalidFolder, "Invalid folder"}}));
    return table;
}

std::string StMessageText(int32_t id) { return StMessages().GetAsString(id); }

// ---- Version reader

double VersionTextToFloat(const std::string& text) {
    auto whole = [](const std::string& s, double& value) {
        if (s.empty()) return false;
        char* end = nullptr;
        value = std::strtod(s.c_str(), &end);
        return end == s.c_str() + s.size();
    };
    double value = 0;
    if (whole(text, value)) return value;
    const size_t first = text.find('.');
    const size_t second = first == std::string::npos ? std::string::npos : text.find('.', first + 1);
    if (second != std::string::npos && second < 7 && whole(text.substr(0, second), value)) return value;
    return 0;
}

std::string SystemFolder() { return "/usr/lib/"; }

namespace {

const char* const kStringKeys[] = {"Comments",         "CompanyName",    "FileDescription", "FileVersion",
                                   "InternalName",     "LegalCopyright", "LegalTrademarks", "OriginalFilename",
                                   "ProductName",      "ProductVersion"};

// Packs "a.b.c.d" into the two 32-bit halves of a fixed version.
void PackVersion(const std::string& text, uint32_t& ms, uint32_t& ls) {
    uint32_t parts[4] = {0, 0, 0, 0};
    size_t at = 0;
    for (int i = 0; i < 4 && at <= text.size(); ++i) {
        parts[i] = uint32_t(std::strtoul(text.c_str() + at, nullptr, 10)) & 0xFFFF;
        const size_t dot = text.find('.', at);
        if (dot == std::string::npos) break;
        at = dot + 1;
    }
    ms = parts[0] << 16 | parts[1];
    ls = parts[2] << 16 | parts[3];
}

TStVersionData MakeData(const std::string& description, const std::string& version, const std::string& internal,
                        const std::string& product, uint32_t fileType) {
    TStVersionData d;
    d.Translation = 0x04E40409;  // U.S. English, code page 1252
    d.Strings = {{"CompanyName", "Quorvane"},  {"FileDescription", description}, {"FileVersion", version},
                 {"InternalName", internal},   {"OriginalFilename", internal},   {"ProductName", product},
                 {"ProductVersion", version}};
    PackVersion(version, d.FileVersionMS, d.FileVersionLS);
    PackVersion(version, d.ProductVersionMS, d.ProductVersionLS);
    d.FileType = fileType;
    return d;
}

bool IsShellLibrary(const std::string& fileName) {
    return fileName == SystemFolder() + StBase::ShellLibraryName || fileName == StBase::ShellLibraryName;
}

}  // namespace

TStVersionInfo::TStVersionInfo(QObject* Owner) : TStComponent(Owner) { fileName_ = ExeFileName(); }

void TStVersionInfo::SetFileName(const std::string& Value) {
    std::string name = Value.empty() ? ExeFileName() : Value;
    struct stat st {};
    if (!IsShellLibrary(name) && ::stat(name.c_str(), &st) != 0) RaiseStError<EStVersionInfoError>(StConst::stscFileOpen);
    if (name != fileName_) {
        fileName_ = name;
        loaded_ = false;
        data_ = {};
    }
}

void TStVersionInfo::Load() {
    if (loaded_) return;
    if (IsShellLibrary(fileName_)) {
        data_ = MakeData("Shell layer", StBase::ShellLibraryVersion, StBase::ShellLibraryName, "Lumvor", 2);
    } else if (fileName_ == ExeFileName()) {
        data_ = MakeData("Lumvor picture viewer", "1.0.0.0", "lumvor", "Lumvor", 1);
    } else {
        RaiseStError<EStVersionInfoError>(StConst::stscNoVerInfo);
    }
    loaded_ = true;
}

std::string TStVersionInfo::Value(const char* key) {
    Load();
    for (const auto& [k, v] : data_.Strings)
        if (k == key) return v;
    return {};
}

std::string TStVersionInfo::Comments() { return Value(kStringKeys[0]); }
std::string TStVersionInfo::CompanyName() { return Value(kStringKeys[1]); }
std::string TStVersionInfo::FileDescription() { return Value(kStringKeys[2]); }
std::string TStVersionInfo::FileVersion() { return Value(kStringKeys[3]); }
std::string TStVersionInfo::InternalName() { return Value(kStringKeys[4]); }
std::string TStVersionInfo::LegalCopyright() { return Value(kStringKeys[5]); }
std::string TStVersionInfo::LegalTrademark() { return Value(kStringKeys[6]); }
std::string TStVersionInfo::OriginalFilename() { return Value(kStringKeys[7]); }
std::string TStVersionInfo::ProductName() { return Value(kStringKeys[8]); }
std::string TStVersionInfo::ProductVersion() { return Value(kStringKeys[9]); }
double TStVersionInfo::FileVersionFloat() { return VersionTextToFloat(FileVersion()); }
double TStVersionInfo::ProductVersionFloat() { return VersionTextToFloat(ProductVersion()); }
uint32_t TStVersionInfo::FileMajorVersion() { return Load(), data_.FileVersionMS; }
uint32_t TStVersionInfo::FileMinorVersion() { return Load(), data_.FileVersionLS; }
uint32_t TStVersionInfo::ProductMajorVersion() { return Load(), data_.ProductVersionMS; }
uint32_t TStVersionInfo::ProductMinorVersion() { return Load(), data_.ProductVersionLS; }
uint32_t TStVersionInfo::FileFlagsMask() { return Load(), data_.FileFlagsMask; }
uint32_t TStVersionInfo::FileFlags() { return Load(), data_.FileFlags; }
uint32_t TStVersionInfo::FileOS() { return Load(), data_.FileOS; }
uint32_t TStVersionInfo::FileType() { return Load(), data_.FileType; }
uint32_t TStVersionInfo::FileSubtype() { return Load(), data_.FileSubtype; }
uint32_t TStVersionInfo::TranslationValue() { return Load(), data_.Translation; }
int TStVersionInfo::LanguageCount() { return Load(), 1; }
std::string TStVersionInfo::LanguageName() { return Load(), "English (United States)"; }

TDateTime TStVersionInfo::FileDate() {
    Load();
    const int32_t age = IsShellLibrary(fileName_) ? -1 : FileAge(fileName_);
    return age == -1 ? 0 : FileDateToDateTime(age);
}

std::string TStVersionInfo::GetKeyValue(const std::string& Key) {
    Load();
    // A key may be given with the translation's prefix or without it.
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "StringFileInfo\\%.4x%.4x\\", unsigned(data_.Translation & 0xFFFF),
                  unsigned(data_.Translation >> 16));
    std::string key = Key;
    // Keys are looked up ignoring case, as the version data of Windows files are.
    if (SameText(std::string_view(key).substr(0, std::strlen(prefix)), prefix)) key.erase(0, std::strlen(prefix));
    for (const auto& [k, v] : data_.Strings)
        if (SameText(k, key)) return v;
    RaiseStError<EStVersionInfoError>(StConst::stscKeyNotFound);
}

// ---- Shell base

double ReadShellVersion() {
    TStVersionInfo info;
    info.SetFileName(SystemFolder() + StBase::ShellLibraryName);
    return info.FileVersionFloat();
}

TStShellComponent::TStShellComponent(QObject* Owner) : TStComponent(Owner), shellVersion_(ReadShellVersion()) {}

void TStShellComponent::SetError(int32_t Code, const std::string& Text) {
    errorCode_ = Code;
    errorString_ = Code == 0 ? std::string() : Text;
    if (Code != 0 && OnError) OnError(this);
}

}  // namespace lumvor
