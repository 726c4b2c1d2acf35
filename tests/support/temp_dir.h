// A fresh, empty directory for one test, removed with everything in it when
// the object goes. Used as the emulator's "C:\" (SetDriveRoot) so the log
// file can be read back byte for byte.
#pragma once

#include <string>

namespace KL_VRXTest {

class TTempDir {
  public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    // Native path of the directory, without a trailing separator.
    const std::string& Path() const { return path; }
    // Native path of a file in it.
    std::string File(const std::string& name) const;
    // The bytes of a file in it ("" when it does not exist).
    std::string ReadFile(const std::string& name) const;
    // True when a file of that name exists in it.
    bool Exists(const std::string& name) const;

  private:
    std::string path;
};

}  // namespace KL_VRXTest
