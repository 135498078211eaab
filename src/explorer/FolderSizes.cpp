#include "explorer/FolderSizes.h"

#include "explorer/FolderWalk.h"

namespace lumvor {

TFolderSizes SumFolderSizes(const std::string& Root, const std::function<bool(const TFolderSizes&)>& Step) {
    TFolderSizes sizes;
    int64_t* current = nullptr;  // the total of the direct sub-folder being walked
    const bool ended = WalkFolderTree(Root, [&](TWalkFolder& folder) {
        ++sizes.Folders;
        sizes.Files += int64_t(folder.Files.size());
        if (folder.Depth == 1) {
            const std::string name = folder.Path.substr(0, folder.Path.size() - 1);
            current = &sizes.Totals[name.substr(name.rfind('/') + 1)];
        }
        if (folder.Depth >= 1)
            for (const TWalkFile& file : folder.Files)
                if (file.IsRegular) *current += file.Size;
        return !Step || Step(sizes) ? TWalkStep::Continue : TWalkStep::Stop;
    });
    sizes.Stopped = !ended;
    return sizes;
}

}  // namespace lumvor
