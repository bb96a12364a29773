// Implementation of the shared test helpers.
#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace keltora::test {

TempDir::TempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "keltora-test-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Make everything writable again so that read-only test folders can be removed.
    for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
        std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string readBytes(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeBytes(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

int runCommand(const std::string& command, std::string* output)
{
    std::string full = command + " 2>&1";
    FILE* pipe = ::popen(full.c_str(), "r");
    if (!pipe) return -1;
    std::array<char, 4096> buf{};
    std::string out;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), n);
    int status = ::pclose(pipe);
    if (output) *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool updateGolden()
{
    const char* v = std::getenv("KELTORA_UPDATE_GOLDEN");
    return v && std::string(v) == "1";
}

} // namespace keltora::test
