// Files by name. A name that starts with a drive letter and a colon ("C:\1.jpg") is
// looked up in that drive's folder under the user's data directory, with backslashes
// read as folder separators; messages keep showing the name as the program gave it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vardel {

// $XDG_DATA_HOME/vardel/drive_<letter> (or ~/.local/share/vardel/drive_<letter>).
std::string DriveFolder(char letter);
// The host path for a name as the program writes it.
std::string ResolveFileName(std::string_view name);
// A drive's root always exists: for a name on a drive, makes that drive's folder (not
// the folders below it) when it is missing, so that files can be created there.
void MakeDriveFolder(std::string_view name);
bool FileExists(std::string_view name);
// Size from the directory listing, or -1 when there is no such file.
int64_t FileSizeByName(std::string_view name);
// The text after the last "." when that dot comes after the last "\", "/" and ":";
// empty otherwise. The dot itself is not part of the result.
std::string ExtensionOf(std::string_view name);

}  // namespace vardel
