#include "ui/StFileOp.h"

#include "platform/FileOps.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Volumes.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QString>
#include <QStringDecoder>

#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace lumvor {

namespace fs = std::filesystem;

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// The entries of a source's folder that its wildcard name matches, sorted.
std::vector<std::string> ExpandWildcard(const std::string& source, bool filesOnly) {
    const std::string folder = ExtractFilePath(source);
    const std::string pattern = ExtractFileName(source);
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (::fnmatch(pattern.c_str(), name.c_str(), 0) != 0) continue;
        std::error_code statError;
        if (filesOnly && it->is_directory(statError)) continue;
        found.push_back(folder + name);
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool Ask(const std::string& caption, const std::string& text) {
    return voMessageDlg("", caption, text, mtConfirmation, mbYesNo, mbNo, 0) == mrYes;
}

std::string Quoted(const std::string& path) { return "\"" + ExtractFileName(WithoutTrailingSlashes(path)) + "\""; }

}  // namespace

int32_t StFileOp::ErrorCodeOfSystemError(int err) {
    switch (err) {
    case 0: return 0;
    case ENOENT: return 2;           // file not found
    case ENOTDIR: return 3;          // path not found
    case EACCES:
    case EPERM:
    case EROFS: return 5;            // access denied
    case EXDEV: return 17;           // not the same device
    case EINVAL: return 87;          // invalid parameter
    case ENOSPC:
    case EDQUOT: return 112;         // disk full
    case ENOTEMPTY: return 145;      // folder not empty
    case EBUSY: return 170;          // busy
    case EEXIST: return 183;         // already exists
    case ENAMETOOLONG: return 206;   // name too long
    default: return 1117;            // I/O error
    }
}

// ---- File operation

TStFileOperation::TStFileOperation(QObject* Owner) : TStShellComponent(Owner) {}

void TStFileOperation::SetDestination(const std::string& Value) { destination_ = WithoutTrailingSlashes(Value); }

bool TStFileOperation::Execute() {
    // Options and operation as the engine takes them.
    uint32_t flags = 0;
    if (Options & foAllowUndo) flags |= fofAllowUndo;
    if (Options & foFilesOnly) flags |= fofFilesOnly;
    if (Options & foNoConfirmation) flags |= fofNoConfirmation;
    if (Options & foNoConfirmMkDir) flags |= fofNoConfirmMkdir;
    if (Options & foNoErrorUI) flags |= fofNoErrorUI;
    if (Options & foRenameCollision) flags |= fofRenameOnCollision;
    if (Options & foSilent) flags |= fofSilent;
    if (Options & foSimpleProgress) flags |= fofSimpleProgress;
    static const TFileOpFunc kFunc[] = {foCopy, foDelete, foMove, foRename};
    // An operation out of range does nothing: the engine refuses it.
    const TFileOpFunc func = Operation <= fopRename ? kFunc[Operation] : TFileOpFunc(0);
    const bool isDelete = Operation == fopDelete;

    if (sourceFiles_.Count() == 0) RaiseStError<EStFileOpError>(StConst::stscShellFileOpSrcError);

    std::vector<std::string> from, to;
    bool mapping = false;
    if (sourceFiles_.Text().size() > 2) {
        for (int i = 0; i < sourceFiles_.Count() && !mapping; ++i)
            mapping = sourceFiles_[i].find('=') != std::string::npos;
        if (mapping) {
            if (isDelete) RaiseStError<EStFileOpError>(StConst::stscShellFileOpMapError);
            for (int i = 0; i < sourceFiles_.Count(); ++i) {
                std::string line = sourceFiles_[i];
                if (line.empty()) continue;
                if (line.find('=') == std::string::npos) {
                    // A plain line goes into Destination; without one it would land in "/".
                    if (destination_.empty()) RaiseStError<EStFileOpError>(StConst::stscShellFileOpDstError);
                    line += "=" + IncludeTrailingPathDelimiter(destination_) + ExtractFileName(line);
                    sourceFiles_.Put(i, line);
                }
                const size_t eq = line.find('=');
                from.push_back(line.substr(0, eq));
                to.push_back(line.substr(eq + 1));
            }
        } else {
            for (int i = 0; i < sourceFiles_.Count(); ++i) {
                const std::string& line = sourceFiles_[i];
                if (ConfirmFiles && !DirectoryExists(line) && !HasWildcard(line) && !FileExists(line))
                    RaiseStError<EStFileOpError>(StConst::stscShellFileOpFileError);
                if (!line.empty()) from.push_back(line);
            }
        }
    }
    if (!mapping) {
        if (destination_.empty() && !isDelete) RaiseStError<EStFileOpError>(StConst::stscShellFileOpDstError);
        if (!isDelete) to.push_back(destination_);
    }
    if (mapping && !isDelete && from.size() > 1) flags |= fofMultiDestFiles;

    // Sources with wildcards stand for what they match.
    if (!mapping) {
        std::vector<std::string> expanded;
        for (const std::string& source : from) {
            if (!HasWildcard(ExtractFileName(source))) {
                expanded.push_back(source);
                continue;
            }
            for (std::string& match : ExpandWildcard(source, Options & foFilesOnly)) expanded.push_back(std::move(match));
        }
        from = std::move(expanded);
    }

    aborted_ = false;
    doneFiles_.Clear();
    failedFile_.clear();
    errorCode_ = 0;
    errorString_.clear();
    auto cancelled = [&]() {
        aborted_ = true;
        SetError(StFileOp::ERROR_CANCELLED, StFileOp::CancelledText);
        return false;
    };

    // The shell's questions.
    const bool confirm = !(Options & foNoConfirmation);
    if (isDelete && confirm && !from.empty()) {
        const bool recycle = Options & foAllowUndo;
        const std::string what = from.size() == 1 ? Quoted(from[0]) : "these " + std::to_string(from.size()) + " items";
        const std::string text = recycle ? "Are you sure you want to move " + what + " to the trash?"
                                         : "Are you sure you want to delete " + what + " for good?";
        if (!Ask(from.size() == 1 ? "Confirm File Delete" : "Confirm Multiple File Delete", text)) return cancelled();
    }
    if ((func == foCopy || func == foMove) && !from.empty() && !to.empty()) {
        // Where the engine will put each source.
        std::vector<std::string> targets;
        std::string newFolder;
        if (flags & fofMultiDestFiles) {
            targets = to;
        } else {
            const std::string dest = WithoutTrailingSlashes(to[0]);
            const bool intoFolder = DirectoryExists(dest) || from.size() > 1;
            if (intoFolder && !DirectoryExists(dest)) newFolder = dest;
            for (const std::string& source : from)
                targets.push_back(intoFolder ? IncludeTrailingPathDelimiter(dest) + ExtractFileName(WithoutTrailingSlashes(source)) : dest);
        }
        if (!newFolder.empty() && confirm && !(Options & foNoConfirmMkDir) &&
            !Ask("Confirm Folder Create", "The folder \"" + newFolder + "\" does not exist.\n\nDo you want to create it?"))
            return cancelled();
        if (confirm && !(Options & foRenameCollision)) {
            const auto taken = std::count_if(targets.begin(), targets.end(), Exists);
            if (taken > 0) {
                const std::string text = taken == 1 ? "The target of one item already exists.\n\nDo you want to replace it?"
                                                    : "The targets of " + std::to_string(taken) +
                                                          " items already exist.\n\nDo you want to replace them?";
                if (!Ask("Confirm File Replace", text)) return cancelled();
                flags |= fofNoConfirmation;
            }
        }
    }

    // The status box as progress box, unless another long run holds it.
    const bool showProgress = !(Options & foSilent) && !IsBusy;
    if (showProgress) {
        static const char* const kCaption[] = {"Copying ...", "Deleting ...", "Moving ...", "Renaming ..."};
        ShowStatusForm((Options & foSimpleProgress) && !SimpleText.empty() ? SimpleText
                                                                             : kCaption[Operation <= fopRename ? Operation : 0]);
        IsBusy = 1;
        CancelPressed = 0;
    }
    size_t step = 0;
    const size_t total = from.size();
    TFileOpProgress progress;
    // The box is redrawn and events let through at most every 40 ms: a run of
    // thousands of small files is not slowed down by its own progress.
    QElapsedTimer shown;
    if (showProgress) {
        progress = [&](const std::string& source) {
            ++step;
            if (shown.isValid() && shown.elapsed() < 40) return !CancelPressed;
            shown.start();
            if (StatusForm) {
                StatusForm->LabelText(Options & foSimpleProgress ? SimpleText : ExtractFileName(source), "", "");
                StatusForm->ProgressFolders->setValue(total ? int(100 * (step - 1) / total) : 0);
            }
            Application.ProcessMessages();
            return !CancelPressed;
        };
    }
    const TFileOpResult result = RunFileOperation(func, from, to, flags, progress);
    if (showProgress) {
        if (StatusForm) StatusForm->Close();
        IsBusy = 0;
        CancelPressed = 0;
    }

    for (const std::string& done : result.Done) doneFiles_.Add(done);
    failedFile_ = result.FailedSource;
    aborted_ = result.Aborted;
    int32_t code = result.Succeeded ? 0 : StFileOp::ErrorCodeOfSystemError(result.SystemError);
    std::string text = result.Error;
    if (result.Aborted) code = 117;  // the shell's code for a cancel
    if (code == 117) {
        code = StFileOp::ERROR_CANCELLED;
        text = StFileOp::CancelledText;
    } else if (code == 18) {  // no more files: nothing went wrong
        code = 0;
        text.clear();
    }
    if (code != 0 && !result.Done.empty())
        text += "\n\n" + std::to_string(result.Done.size()) + " of " + std::to_string(from.size()) +
                " items were done before the failure.";
    if (code != 0 && !aborted_ && !(Options & foNoErrorUI))
        voMessageDlg("", "Error", text, mtError, mbOKOnly, mbOK, 0);
    SetError(code, text);
    return code == 0;
}

// ---- Shortcuts

TStShortcut::TStShortcut(QObject* Owner) : TStShellComponent(Owner) {}

void TStShortcut::SetSpecialFolder(TStSpecialRootFolder Value) {
    CheckSpecialFolderVersion(Value, ShellVersion());
    specialFolder_ = Value;
}

bool TStShortcut::CreateShortcut() {
    if (LocationType == ltDirectory && DestinationDir.empty())
        RaiseStError<EStShortcutError>(StConst::stscNoPathSpecified);
    std::string folder;
    switch (LocationType) {
    case ltWorkingDir: folder = ExeFolder(); break;
    case ltSpecialFolder: folder = SpecialFolderPath(specialFolder_); break;
    case ltDirectory: folder = DestinationDir; break;
    }
    if (LocationType == ltSpecialFolder && specialFolder_ == sfRecentFiles) {
        // No part of the program files shortcuts among the desktop's recent
        // documents; the request is answered without writing anything.
        return true;
    }
    if (folder.empty()) return false;  // a special folder that does not exist here
    folder = IncludeTrailingPathDelimiter(WithoutTrailingSlashes(folder));
    const std::string name =
        folder + (AutoName ? "Shortcut to " + ExtractFileName(FileName) : Description) + ".lnk";
    if (FileName.empty()) return false;

    // The link points at the target's absolute path; an existing link of that name
    // is replaced, anything else there is kept.
    const std::string target = FileName[0] == '/' ? FileName : NormalizePath(FileName);
    struct stat st {};
    const bool existing = ::lstat(name.c_str(), &st) == 0;
    if (existing && !S_ISLNK(st.st_mode)) return false;
    const std::string scratch = folder + ".~" + ExtractFileName(name) + "." + std::to_string(::getpid());
    ::unlink(scratch.c_str());
    if (::symlink(target.c_str(), scratch.c_str()) != 0) return false;
    const bool saved = existing ? ::rename(scratch.c_str(), name.c_str()) == 0 : RenameFile(scratch, name);
    if (!saved) {
        ::unlink(scratch.c_str());
        return false;
    }
    ShortcutFileName = name;
    return true;
}

namespace {

uint16_t Le16(const std::string& d, size_t at) {
    return uint16_t(uint8_t(d[at]) | uint8_t(d[at + 1]) << 8);
}
uint32_t Le32(const std::string& d, size_t at) { return uint32_t(Le16(d, at)) | uint32_t(Le16(d, at + 2)) << 16; }

// A zero-terminated text in the Windows code page at offset at, within limit.
bool AnsiZ(const std::string& d, size_t at, size_t limit, std::string& out) {
    if (at >= limit) return false;
    const size_t end = d.find('\0', at);
    if (end == std::string::npos || end >= limit) return false;
    QStringDecoder decoder("Windows-1252");
    out = QString(decoder(QByteArrayView(d.data() + at, qsizetype(end - at)))).toStdString();
    return true;
}

// A target path on a Windows volume mapped onto the volume that holds the shortcut:
// "C:\Pics\cat.jpg" becomes "<mount point>/Pics/cat.jpg".
std::string OnVolumeOf(const std::string& windowsPath, const std::string& shortcut) {
    std::string path = windowsPath;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.size() >= 2 && path[1] == ':') path.erase(0, 2);
    if (path.empty() || path[0] != '/') return {};
    const std::string mount = MountPointOf(NormalizePath(shortcut));
    return (mount == "/" ? "" : mount) + path;
}

}  // namespace

bool ParseShellLink(const std::string& d, TShellLinkData& link) {
    static const unsigned char kClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                             0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    if (d.size() < 0x4C || Le32(d, 0) != 0x4C || d.compare(4, 16, reinterpret_cast<const char*>(kClsid), 16) != 0)
        return false;
    const uint32_t flags = Le32(d, 0x14);
    link.IconIndex = int32_t(Le32(d, 0x38));
    link.ShowCommand = Le32(d, 0x3C);
    link.HotKey = Le16(d, 0x40);
    size_t at = 0x4C;
    if (flags & 0x1) {  // item-ID list: skipped
        if (at + 2 > d.size()) return false;
        at += 2 + size_t(Le16(d, at));
    }
    if (flags & 0x2) {  // link info
        if (at + 28 > d.size()) return false;
        const size_t size = Le32(d, at);
        if (size < 28 || at + size > d.size()) return false;
        const size_t end = at + size;
        const uint32_t infoFlags = Le32(d, at + 8);
        const size_t headerSize = Le32(d, at + 4);
        std::string base, suffix;
        if (infoFlags & 0x1) {
            bool unicode = false;
            if (headerSize >= 0x24 && at + 0x24 <= end) {
                // Unicode forms of the base path and suffix.
                const size_t baseAt = at + Le32(d, at + 28), suffixAt = at + Le32(d, at + 32);
                auto wide = [&](size_t p, std::string& out) {
                    std::u16string text;
                    for (; p + 1 < end; p += 2) {
                        const char16_t c = Le16(d, p);
                        if (c == 0) {
                            out = QString::fromStdU16String(text).toStdString();
                            return true;
                        }
                        text.push_back(c);
                    }
                    return false;
                };
                unicode = wide(baseAt, base) && wide(suffixAt, suffix);
            }
            if (!unicode && (!AnsiZ(d, at + Le32(d, at + 16), end, base) || !AnsiZ(d, at + Le32(d, at + 24), end, suffix)))
                return false;
            link.LocalBasePath = base;
            if (!suffix.empty() && !base.empty() && base.back() != '\\') link.LocalBasePath += '\\';
            link.LocalBasePath += suffix;
        }
        at = end;
    }
    // String data, in this order, each present when its flag is set.
    const bool unicode = flags & 0x80;
    std::string* fields[] = {&link.Description, &link.RelativePath, &link.WorkingDir, &link.Arguments,
                             &link.IconLocation};
    const uint32_t fieldFlags[] = {0x4, 0x8, 0x10, 0x20, 0x40};
    for (int i = 0; i < 5; ++i) {
        if (!(flags & fieldFlags[i])) continue;
        if (at + 2 > d.size()) return false;
        const size_t count = Le16(d, at);
        at += 2;
        const size_t bytes = unicode ? count * 2 : count;
        if (at + bytes > d.size()) return false;
        if (unicode) {
            std::u16string text(count, u'\0');
            for (size_t k = 0; k < count; ++k) text[k] = Le16(d, at + 2 * k);
            *fields[i] = QString::fromStdU16String(text).toStdString();
        } else {
            QStringDecoder decoder("Windows-1252");
            *fields[i] = QString(decoder(QByteArrayView(d.data() + at, qsizetype(bytes)))).toStdString();
        }
        at += bytes;
    }
    return true;
}

bool TStShortcut::ResolveShortcut() {
    if (ShortcutFileName.empty()) RaiseStError<EStShortcutError>(StConst::stscFileOpen);
    struct stat st {};
    if (::lstat(ShortcutFileName.c_str(), &st) != 0) return false;
    std::string target;
    TShellLinkData link;
    if (S_ISLNK(st.st_mode)) {
        std::error_code ec;
        fs::path value = fs::read_symlink(ShortcutFileName, ec);
        if (ec) return false;
        if (value.is_relative()) value = fs::path(ExtractFilePath(ShortcutFileName)) / value;
        target = NormalizePath(value.string());
        if (!Exists(target) || ::stat(target.c_str(), &st) != 0) return false;  // dangling
    } else {
        std::ifstream in(ShortcutFileName, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        if (!in || !ParseShellLink(bytes.str(), link)) return false;
        // The target as written, then relative to the shortcut, then on the
        // shortcut's own volume.
        std::string relative = link.RelativePath;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        std::string direct = link.LocalBasePath;
        std::replace(direct.begin(), direct.end(), '\\', '/');
        for (const std::string& candidate :
             {direct, relative.empty() ? std::string() : NormalizePath(ExtractFilePath(ShortcutFileName) + relative),
              OnVolumeOf(link.LocalBasePath, ShortcutFileName)}) {
            if (!candidate.empty() && candidate[0] == '/' && Exists(candidate)) {
                target = WithoutTrailingSlashes(candidate);
                break;
            }
        }
        if (target.empty()) return false;
    }
    FileName = target;
    Description = link.Description;
    Parameters = link.Arguments;
    StartInDir = link.WorkingDir;
    HotKey = link.HotKey;
    ShowCommand = link.ShowCommand == 2 ? ssMinimized : link.ShowCommand == 3 ? ssMaximized : ssNormal;
    return true;
}

}  // namespace lumvor
