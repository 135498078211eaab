#include "explorer/SlideLists.h"

#include "album/SlideListing.h"
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

}  // namespace

bool NamesRegularFile(const std::string& Path) {
    struct stat info {};
    return ::stat(Path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TListFolder ListFolderEntries(TWalkFolder& Folder) {
    TListFolder listed;
    listed.Path = Folder.Path;
    listed.Entries = int64_t(Folder.Files.size() + Folder.SubFolders.size());
    std::vector<TWalkFile> files;
    for (TWalkFile& file : Folder.Files)
        if (IsListableFile(file.Name))
            files.push_back(std::move(file));
    std::vector<std::string> names;
    names.reserve(files.size());
    for (const TWalkFile& file : files)
        names.push_back(file.Name);
    listed.Listable.reserve(files.size());
    for (size_t at : TreeNameSortOrder(names))
        listed.Listable.push_back(std::move(files[at]));
    return listed;
}

int AppendBookmarkLines(const TListFolder& Folder, TStrings& Lines) {
    int added = 0;
    for (const TWalkFile& file : Folder.Listable) {
        std::string path = Folder.Path + file.Name;
        if (!file.IsRegular && !NamesRegularFile(path))
            continue;
        Lines.Add(path);
        ++added;
    }
    return added;
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
