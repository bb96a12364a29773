// Helpers shared by the test suites: paths of the source tree, temporary folders, files.
#pragma once

#include <filesystem>
#include <string>

namespace keltora::test {

inline std::filesystem::path sourceDir() { return KELTORA_SOURCE_DIR; }
inline std::filesystem::path examplesDir() { return sourceDir() / "examples"; }
inline std::filesystem::path testDataDir() { return sourceDir() / "tests" / "data"; }
inline std::filesystem::path cliPath() { return KELTORA_CLI_PATH; }

// A fresh empty folder, removed when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string readBytes(const std::filesystem::path& p);
void writeBytes(const std::filesystem::path& p, const std::string& bytes);

// Runs a shell command, returns its exit status; stdout and stderr go to *output.
int runCommand(const std::string& command, std::string* output = nullptr);

// True when golden files are to be regenerated (KELTORA_UPDATE_GOLDEN=1).
bool updateGolden();

} // namespace keltora::test
