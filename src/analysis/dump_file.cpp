// The dump files of the searches: names, removal of old ones, CR LF lines, the writer.
#include "analysis/dump_file.h"

#include "analysis/results.h"
#include "model/c_format.h"

namespace keltora {

namespace {

constexpr std::size_t kDumpBuffer = 1 << 18;

} // namespace

std::string dumpFileName(int grid)
{
    return cformat("answer%d.dmp", grid + 1);
}

void removeOldDumps(const std::filesystem::path& dir, MessageList& messages)
{
    for (int g = 0; g < kMaxGrids; ++g) {
        for (const std::string& name :
             {cformat("ANSWER%d.DMP", g + 1), cformat("answer%d.dmp", g + 1)}) {
            std::error_code ec;
            std::filesystem::remove(dir / name, ec);
            if (ec)
                messages.push_back(
                    {"古いダンプファイル " + name + " を削除できませんでした。", "ERROR"});
        }
    }
}

void appendCrLf(std::string& out, const std::string& text)
{
    std::size_t pos = 0;
    for (std::size_t nl; (nl = text.find('\n', pos)) != std::string::npos; pos = nl + 1) {
        out.append(text, pos, nl - pos);
        out += "\r\n";
    }
    out.append(text, pos, std::string::npos);
}

DumpFile::DumpFile(const std::filesystem::path& dir, int grid, MessageList& messages)
    : name_(dumpFileName(grid)), messages_(messages)
{
    file_ = std::fopen((dir / name_).c_str(), "wb");
    if (!file_) {
        fail();
        return;
    }
    buffer_ = std::make_unique<char[]>(kDumpBuffer);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kDumpBuffer);
}

DumpFile::~DumpFile()
{
    close();
}

void DumpFile::write(const std::string& bytes)
{
    if (!file_ || bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) fail();
}

void DumpFile::close()
{
    if (!file_) return;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok) fail();
}

void DumpFile::fail()
{
    if (failed_) return;
    failed_ = true;
    const Message m{"ダンプファイル " + name_ + " を書き込めませんでした。", "ERROR"};
    for (const Message& old : messages_)
        if (old.text == m.text) return;
    messages_.push_back(m);
}

} // namespace keltora
