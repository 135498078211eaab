// Which program opens which picture type, the freedesktop way.
//
// The program describes itself in "lumvor.desktop" in the user's applications
// folder ($XDG_DATA_HOME/applications) and is made the default for a MIME
// type in the user's "mimeapps.list" ($XDG_CONFIG_HOME, section
// [Default Applications]). The types come from the shared MIME database; an
// extension it does not know gets the program's own type, declared in a
// package file ($XDG_DATA_HOME/mime/packages/lumvor.xml) that
// update-mime-database compiles. GUI thread only.
#pragma once

#include <string>
#include <vector>

namespace lumvor {

// The desktop file that describes the program.
inline constexpr const char* kLumvorDesktopId = "lumvor.desktop";

// The fixed list of picture types the program offers to open, in order;
// the first four characters of an entry are its extension.
const std::vector<std::string>& AssociationEntries();

// The extensions of an entry in lower case: its own, then the extra ones
// written together with it (".BMP" adds ".dib", ".JPG" ".jpe" and ".jpeg",
// ".TIF" ".tiff", ".WMF" and ".EMF" ".emf").
std::vector<std::string> AssociationExtensions(const std::string& Entry);

// The MIME type of an extension: the shared database's, or the program's own
// ("application/x-lumvor-" and the extension) when the database knows none.
std::string AssociationMimeType(const std::string& Extension);

// The distinct MIME types of the entries' extensions, in order.
std::vector<std::string> AssociationMimeTypes(const std::vector<std::string>& Entries);

// The type name a program is picked for: "JPG file".
std::string AssociationTypeName(const std::string& Entry);

// Where the files go.
std::string UserApplicationsFolder();
std::string MimeAppsListFile();
std::string MimePackageFile();

// The desktop's default applications of a type as mimeapps.list lists them.
std::vector<std::string> DefaultApplications(const std::string& MimeType);
// Makes DesktopId the only default of each type.
bool SetDefaultApplication(const std::vector<std::string>& MimeTypes, const std::string& DesktopId);
// Removes DesktopId from the defaults of each type (a type left without any
// loses its line).
bool RemoveDefaultApplication(const std::vector<std::string>& MimeTypes, const std::string& DesktopId);

// "Set": writes lumvor.desktop for the entries' types (and those it listed
// before), declares the program's own types, and makes it the default of the
// entries' types. ProgramPath is the program to start.
bool AssociateLumvor(const std::vector<std::string>& Entries, const std::string& ProgramPath);

// The desktop id that opens the types with Chosen: a desktop file (copied
// into the user's applications folder when it lies outside every
// applications folder), or an executable, for which "lumvor-open-<name>.desktop"
// is written. "" when nothing could be written.
std::string DesktopIdForChoice(const std::string& Chosen, const std::vector<std::string>& MimeTypes);

// The Exec value of a desktop file starting Program with one file: the path,
// quoted and escaped as the desktop entry rules want, followed by " %f".
std::string DesktopExecLine(const std::string& Program);

}  // namespace lumvor
