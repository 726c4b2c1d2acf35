#include "os/drive_path.h"

#include <algorithm>

namespace KL_VRXOS {

std::string NativePathOnDrive(const std::string& windowsPath, std::string driveRoot) {
    std::string rest = windowsPath;
    std::replace(rest.begin(), rest.end(), '\\', '/');
    if (rest.size() < 2 || rest[1] != ':')
        return rest;
    if (rest[0] != 'C' && rest[0] != 'c')
        return std::string();  // an empty name never opens
    const size_t start = rest.find_first_not_of('/', 2);
    rest = start == std::string::npos ? std::string() : rest.substr(start);
    while (driveRoot.size() > 1 && driveRoot.back() == '/')
        driveRoot.pop_back();
    // An empty root is the current directory.
    if (driveRoot.empty())
        return "./" + rest;
    return driveRoot.back() == '/' ? driveRoot + rest : driveRoot + "/" + rest;
}

std::unique_ptr<TTextFile> OpenTextFileOnDrive(const std::string& windowsPath,
                                               const std::string& driveRoot) {
    return std::make_unique<TTextFile>(NativePathOnDrive(windowsPath, driveRoot));
}

}  // namespace KL_VRXOS
