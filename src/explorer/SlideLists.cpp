#include "explorer/SlideLists.h"

#include "state/SlideListing.h"
#include "explorer/FolderTree.h"
#include "platform/Classes.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <sys/stat.h>

namespace lumvor {

namespace {

// The entry's own data for a regular file, its target's for a link; false for
// anything that is no regular file in the end.
bool RegularFileData(const std::string& Path, const TWalkFile& File, struct stat& Info) {
    return (File.IsRegular || File.IsLink) && ::stat(Path.c_str(), &Info) == 0 && S_ISREG(Info.st_mode);
}

// Calls Take with the full path of every listable entry of Folder that names
// a file (see AppendBookmarkLines); answers how many it took.
template <class TTake>
int EachBookmarkPath(const TListFolder& Folder, TTake Take) {
    int taken = 0;
    std::string path = Folder.Path;
    for (const TWalkFile& file : Folder.Listable) {
        path.resize(Folder.Path.size());
        path += file.Name;
        if (!file.IsRegular && !NamesRegularFile(path))
            continue;
        Take(path);
        ++taken;
    }
    return taken;
}

}  // namespace

bool NamesRegularFile(const std::string& Path) {
    struct stat info {};
    return ::stat(Path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TListFolder ListFolderEntries(TWalkFolder& Folder) {
    TListFolder listed;
    listed.Path = Folder.Path;
    listed.Entries = Folder.Entries;
    std::vector<TWalkFile>& files = Folder.Files;
    std::erase_if(files, [](const TWalkFile& file) { return !IsListableName(file.Name); });
    std::vector<std::string_view> names(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        names[i] = files[i].Name;
    listed.Listable.reserve(files.size());
    for (size_t at : TreeNameSortOrder(names))
        listed.Listable.push_back(std::move(files[at]));
    return listed;
}

int AppendBookmarkLines(const TListFolder& Folder, TStrings& Lines) {
    return EachBookmarkPath(Folder, [&Lines](const std::string& Path) { Lines.Add(Path); });
}

int AppendBookmarkText(const TListFolder& Folder, std::string& Text) {
    return EachBookmarkPath(Folder, [&Text](const std::string& Path) { Text.append(Path).append("\r\n"); });
}

int AppendSlideRecords(const TListFolder& Folder, int32_t Kind, TStream& Records, TStrings& Names, int32_t& Count) {
    int written = 0;
    for (const TWalkFile& file : Folder.Listable) {
        const std::string path = Folder.Path + file.Name;
        struct stat info {};
        if (!RegularFileData(path, file, info) || info.st_size == 0)
            continue;
        TSlideRec rec;
        FillListedSlideRecord(rec, path, int64_t(info.st_size), int64_t(info.st_mtim.tv_sec), Count, Kind);
        Records.WriteBuffer(&rec, sizeof rec);
        Names.Add(ChangeFileExt(path, ""));
        ++Count;
        ++written;
    }
    return written;
}

}  // namespace lumvor
