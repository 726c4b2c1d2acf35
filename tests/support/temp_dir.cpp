#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace KL_VRXTest {

namespace {
std::atomic<unsigned> made{0};
}

TTempDir::TTempDir() {
    // The clock and a per-process counter keep parallel suites apart without
    // mkdtemp, which MinGW lacks.
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() /
            ("kl_vrx_test_" + std::to_string(stamp) + "_" + std::to_string(made.fetch_add(1)));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TTempDir::~TTempDir() {
    std::error_code error;
    fs::remove_all(path, error);
}

std::string TTempDir::File(const std::string& name) const {
    return (fs::path(path) / name).string();
}

std::string TTempDir::ReadFile(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TTempDir::Exists(const std::string& name) const {
    std::error_code error;
    return fs::exists(File(name), error);
}

}  // namespace KL_VRXTest
