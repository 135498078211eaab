// The file work of the batch commands that needs no window: the names of
// renames by date and by sequence, renames through the file-operation engine
// (which never replaces a file), the lower-case rename that also works on
// volumes whose lookups ignore case, and the border search of Trim.
//
// Headless; GUI thread only like the commands that call it.
#pragma once

#include "platform/Graphics.h"
#include "platform/PixelBuffer.h"

#include <ctime>
#include <functional>
#include <string>

namespace lumvor::batchfiles {

// The most files one sequence rename numbers.
constexpr int MaxRenameItems = 99999;

// A modification time as "YYMMDD_HHNNSS" in local time.
std::string DateStamp(std::time_t Time);
// The file's modification time as DateStamp; "" when it cannot be read.
std::string FileDateStamp(const std::string& Path);

// Digits of the numbers of a sequence of Count files: 1 up to 9 files, 2 up to
// 99, 3 up to 999, 4 up to 9,999, else 5.
int SequenceWidth(int Count);
// Number Index (from 1) zero-padded to SequenceWidth(Count).
std::string SequenceNumber(int Index, int Count);

// An entered extension with its leading "."; "" stays "".
std::string DottedExtension(const std::string& Extension);

// The new path of a rename by date: stamp + the old extension (stamp + "~" +
// the old name when WithName), then AddedExtension; when that name is taken by
// another file, stamp + "~" + old name + AddedExtension.
std::string DateNameTarget(const std::string& Path, const std::string& Stamp, bool WithName,
                           const std::string& AddedExtension);

// The renames of the "&Rename" command.
enum class TRenameMode { Sequence, NumericPrefix, LowerCase, ChangeExtension, AddExtension };

// The new path of file Index (from 1) of Count in a sequence, numeric-prefix,
// change- or add-extension rename (a change of extension keeps the name);
// Text is the prefix (sequence) or the
// extension with its "." (extension modes). Lower case has its own routine.
std::string RenameTarget(TRenameMode Mode, const std::string& Path, const std::string& Text, int Index, int Count);

// The path of an existing file or folder whose case may differ from Path's
// (the explorer hands over lower-cased paths): Path itself when it exists, else
// the one entry of each folder that matches the name ignoring case; "" when
// there is none or more than one.
std::string ActualPath(const std::string& Path);

// Renames From to To through the engine: never replaces an existing file.
// False (with Error set) when the rename did not happen.
bool RenameOne(const std::string& From, const std::string& To, std::string* Error = nullptr);

// Whether two existing paths name one file (a volume whose lookups ignore
// case); tests may replace it.
inline std::function<bool(const std::string&, const std::string&)> SameFile;

enum class TLowerCaseResult { Skipped, Renamed, Failed };
// Gives the file at Path its name in lower case (the folder stays): a name
// already in lower case is skipped; a lower-case name held by the same file is
// reached through a fresh temporary name in the folder; one held by a different
// file is a failure and both files stay.
TLowerCaseResult LowerCaseRename(const std::string& Path, std::string* Error = nullptr);

// The part of Block (inside the picture, not empty) left when the rows and
// columns of the colour of its top-left pixel are taken off its four edges;
// at least one pixel remains.
TRect TrimBlock(const TPixelBuffer& Pixels, const TRect& Block);

}  // namespace lumvor::batchfiles
