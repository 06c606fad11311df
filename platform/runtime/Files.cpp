#include "platform/runtime/Files.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vardel {

std::string DriveFolder(char letter) {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.local/share";
    }
    return base + "/vardel/drive_" +
           static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
}

namespace {
bool HasDrive(std::string_view name) {
    return name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
}
}  // namespace

std::string ResolveFileName(std::string_view name) {
    if (!HasDrive(name)) return std::string(name);
    std::string rest(name.substr(2));
    for (char& c : rest)
        if (c == '\\') c = '/';
    if (rest.empty() || rest.front() != '/') rest.insert(rest.begin(), '/');
    return DriveFolder(name[0]) + rest;
}

void MakeDriveFolder(std::string_view name) {
    if (!HasDrive(name)) return;
    std::error_code ignored;  // a folder that cannot be made shows as a file that cannot be created
    std::filesystem::create_directories(DriveFolder(name[0]), ignored);
}

bool FileExists(std::string_view name) {
    struct stat st {};
    return ::stat(ResolveFileName(name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

int64_t FileSizeByName(std::string_view name) {
    struct stat st {};
    if (::stat(ResolveFileName(name).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return st.st_size;
}

std::string ExtensionOf(std::string_view name) {
    const size_t at = name.find_last_of(".\\/:");
    if (at == std::string_view::npos || name[at] != '.') return {};
    return std::string(name.substr(at + 1));
}

}  // namespace vardel
