// The per-grid (per-level) dump files answer1.dmp .. answer4.dmp that every search writes:
// their names, the removal of old ones, CR LF lines and a buffered writer.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "model/message.h"

namespace keltora {

// The dump file name of grid index g (0..3): "answer1.dmp" .. "answer4.dmp".
std::string dumpFileName(int grid);

// Deletes ANSWER1.DMP .. ANSWER4.DMP and answer1.dmp .. answer4.dmp in dir, so that the
// files of grids that do not run in this calculation do not remain. A file that exists
// but cannot be deleted is reported.
void removeOldDumps(const std::filesystem::path& dir, MessageList& messages);

// Writes v to `to` as printf("%<width>.3f") prints it in the "C" locale, for |v| < 1e12:
// at most kFixed3Chars characters (for a width up to 20), without a terminating zero;
// returns their count. `to` must have room for kFixed3Chars characters: those after the
// count are overwritten with unspecified ones. NaN, infinite and larger values write nothing and
// give -1. The dump formatters use it instead of the C library's printf, which costs more than the
// slice that made the value.
inline constexpr int kFixed3Chars = 24;
int writeFixed3(char* to, double v, int width);

// Appends text with every "\n" written as CR LF.
void appendCrLf(std::string& out, const std::string& text);

// One grid's dump file, created anew and written through a buffer. A file that cannot be
// created or written is reported once ("ダンプファイル NAME を書き込めませんでした。"); the
// search goes on without it.
class DumpFile {
  public:
    DumpFile(const std::filesystem::path& dir, int grid, MessageList& messages);
    ~DumpFile();
    DumpFile(const DumpFile&) = delete;
    DumpFile& operator=(const DumpFile&) = delete;

    void write(const std::string& bytes);
    void close();

  private:
    void fail();

    std::string name_;
    MessageList& messages_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    bool failed_ = false;
};

} // namespace keltora
