#include "processing/files/BatchFiles.h"

#include "platform/FileOps.h"
#include "platform/SysUtils.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <random>

namespace lumvor::batchfiles {

namespace fs = std::filesystem;

std::string DateStamp(std::time_t Time) {
    std::tm local{};
    localtime_r(&Time, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d_%02d%02d%02d", local.tm_year % 100, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::string FileDateStamp(const std::string& Path) {
    struct stat info{};
    if (::stat(Path.c_str(), &info) != 0)
        return "";
    return DateStamp(info.st_mtime);
}

int SequenceWidth(int Count) {
    if (Count <= 9)
        return 1;
    if (Count <= 99)
        return 2;
    if (Count <= 999)
        return 3;
    if (Count <= 9999)
        return 4;
    return 5;
}

std::string SequenceNumber(int Index, int Count) {
    std::string digits = std::to_string(Index);
    const size_t width = size_t(SequenceWidth(Count));
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::string DottedExtension(const std::string& Extension) {
    if (Extension.empty() || Extension[0] == '.')
        return Extension;
    return "." + Extension;
}

static bool Taken(const std::string& Path) {
    std::error_code error;
    return fs::symlink_status(Path, error).type() != fs::file_type::not_found && !error;
}

std::string DateNameTarget(const std::string& Path, const std::string& Stamp, bool WithName,
                           const std::string& AddedExtension) {
    const std::string folder = ExtractFilePath(Path);
    const std::string name = ExtractFileName(Path);
    const std::string withName = folder + Stamp + "~" + name + AddedExtension;
    if (WithName)
        return withName;
    const std::string plain = folder + Stamp + ExtractFileExt(name) + AddedExtension;
    return Taken(plain) && plain != Path ? withName : plain;
}

std::string RenameTarget(TRenameMode Mode, const std::string& Path, const std::string& Text, int Index, int Count) {
    const std::string folder = ExtractFilePath(Path);
    const std::string name = ExtractFileName(Path);
    const std::string number = SequenceNumber(Index, Count);
    switch (Mode) {
    case TRenameMode::NumericPrefix:
        return folder + number + "~" + name;
    case TRenameMode::Sequence:
        return folder + Text + number + ExtractFileExt(name);
    case TRenameMode::ChangeExtension:
        // The name stays; only its extension changes.
        return ChangeFileExt(Path, Text);
    case TRenameMode::AddExtension:
        return Path + Text;
    case TRenameMode::LowerCase:
        break;
    }
    return Path;
}

// The one entry of Folder whose name equals Name ignoring case; "" when none or several.
static std::string MatchIgnoringCase(const std::string& Folder, const std::string& Name) {
    std::string found;
    std::error_code error;
    for (fs::directory_iterator it(Folder.empty() ? "." : Folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (LowerCase(entry) != LowerCase(Name))
            continue;
        if (!found.empty())
            return "";
        found = entry;
    }
    return found;
}

std::string ActualPath(const std::string& Path) {
    if (Path.empty() || Taken(Path))
        return Path;
    const fs::path path(Path);
    std::string resolved = path.is_absolute() ? "/" : "";
    for (const fs::path& part : path.relative_path()) {
        const std::string name = part.string();
        if (name.empty())
            continue;
        const std::string exact = (fs::path(resolved) / name).string();
        if (Taken(exact)) {
            resolved = exact;
            continue;
        }
        const std::string match = MatchIgnoringCase(resolved, name);
        if (match.empty())
            return "";
        resolved = (fs::path(resolved) / match).string();
    }
    return resolved;
}

bool RenameOne(const std::string& From, const std::string& To, std::string* Error) {
    const TFileOpResult result = RunFileOperation(foRename, {From}, {To}, fofSilent | fofNoErrorUI);
    if (!result.Succeeded && Error)
        *Error = result.Error;
    return result.Succeeded;
}

static bool SameFileOnDisk(const std::string& A, const std::string& B) {
    if (SameFile)
        return SameFile(A, B);
    std::error_code error;
    return fs::equivalent(A, B, error) && !error;
}

// A name in Folder that no entry holds, for the first step of a change of case.
static std::string FreeTemporaryName(const std::string& Folder) {
    std::random_device seed;
    std::mt19937 random(seed());
    for (;;) {
        char name[32];
        std::snprintf(name, sizeof name, ".lumvor-rename-%08x.tmp", unsigned(random()));
        const std::string path = Folder + name;
        if (!Taken(path))
            return path;
    }
}

TLowerCaseResult LowerCaseRename(const std::string& Path, std::string* Error) {
    const std::string folder = ExtractFilePath(Path);
    const std::string name = ExtractFileName(Path);
    const std::string lower = LowerCase(name);
    if (lower == name)
        return TLowerCaseResult::Skipped;
    const std::string target = folder + lower;
    if (!Taken(target))
        return RenameOne(Path, target, Error) ? TLowerCaseResult::Renamed : TLowerCaseResult::Failed;
    if (!SameFileOnDisk(Path, target)) {
        if (Error)
            *Error = "\"" + target + "\" already exists";
        return TLowerCaseResult::Failed;
    }
    const std::string temporary = FreeTemporaryName(folder);
    if (!RenameOne(Path, temporary, Error))
        return TLowerCaseResult::Failed;
    if (RenameOne(temporary, target, Error))
        return TLowerCaseResult::Renamed;
    // The file keeps its old name rather than a temporary one.
    RenameOne(temporary, Path);
    return TLowerCaseResult::Failed;
}

TRect TrimBlock(const TPixelBuffer& Pixels, const TRect& Block) {
    TRect r = Block;
    const uint32_t reference = Pixels.GetColor(r.Left, r.Top);
    const auto rowMatches = [&](int y) {
        for (int x = r.Left; x < r.Right; ++x)
            if (Pixels.GetColor(x, y) != reference)
                return false;
        return true;
    };
    const auto columnMatches = [&](int x) {
        for (int y = r.Top; y < r.Bottom; ++y)
            if (Pixels.GetColor(x, y) != reference)
                return false;
        return true;
    };
    while (r.Height() > 1 && rowMatches(r.Top))
        ++r.Top;
    while (r.Width() > 1 && columnMatches(r.Left))
        ++r.Left;
    while (r.Height() > 1 && rowMatches(r.Bottom - 1))
        --r.Bottom;
    while (r.Width() > 1 && columnMatches(r.Right - 1))
        --r.Right;
    return r;
}

}  // namespace lumvor::batchfiles
