// The SDW section data file: writing, reading and the partial loads of conditions,
// blocks and terrain.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "model/message.h"
#include "model/model.h"

namespace keltora {

inline constexpr int kSdwVersion = 2100;

// One warning of a read, with the line of the file it is about.
struct FileWarning {
    int line = 0;     // 1-based line of the file; 0 = the file as a whole
    std::string text; // UTF-8, without the line number
    // Values are missing or could not be read (a line that does not parse, the file ending
    // early, rows beyond a capacity, renumbered slots): the model differs from the file, so
    // no verdict may be given from it without the user's consent.
    bool dataLoss = false;
};

struct ReadResult {
    int status = 0;                        // 0 read, 1 file missing, -1 version too old
    std::optional<Message> error;          // set when status != 0
    MessageList warnings;                  // the fileWarnings as messages ("N行目: text")
    std::vector<FileWarning> fileWarnings; // the same, structured
    int version = 0;                       // version of the file read
    bool utf8 = false;                     // the file was read as UTF-8 (not CP932)

    // True when a warning says that values are missing or unreadable.
    bool dataLoss() const;
};

struct WriteResult {
    WriteResult() = default;
    WriteResult(bool ok_, std::optional<Message> error_) : ok(ok_), error(std::move(error_)) {}

    bool ok = true;
    std::optional<Message> error; // set when !ok
    MessageList warnings;         // written, but the user should know (title cut to 63 bytes)
};

// Why the model cannot be written under this file name as it is: a line break in the
// title or the file name (the file is read by position), a title with characters CP932
// cannot hold. Nothing when it can be written.
std::optional<Message> checkWritable(const SlopeModel& model, const std::filesystem::path& path);

// What a read takes from the file.
enum class SdwPart { Everything, Conditions, Blocks, Terrain };

// The whole document as the bytes of an SDW file (CP932, CR LF). name is written on
// the file name line.
std::string formatDataFile(const SlopeModel& model, const std::string& name);

// Writes the document to path (atomically; a symbolic link is kept and the file it points
// to is written; a folder, device or FIFO is refused). Refused as checkWritable says.
// A title longer than 63 CP932 bytes is cut and reported in warnings. On success dataName
// becomes the file's stem and modified 0; on failure the file on disk and the model are
// unchanged.
WriteResult writeDataFile(SlopeModel& model, const std::filesystem::path& path);

// Replaces the document by the file (status 0), or leaves it unchanged (status 1 missing
// file, -1 version below 2000). On success dataName = the file's stem, modified = 0,
// calcState = 0.
ReadResult readDataFile(SlopeModel& model, const std::filesystem::path& path);

// Partial loads: take conditions and settings / the block table / the point and line
// tables from the file; modified = 1 and calcState = 0 on success.
ReadResult readConditions(SlopeModel& model, const std::filesystem::path& path);
ReadResult readBlocks(SlopeModel& model, const std::filesystem::path& path);
ReadResult readTerrain(SlopeModel& model, const std::filesystem::path& path);

// Reads SDW bytes into a model (the core of every read; the model is first copied, so
// fields absent from the file keep the values they had). No file access. CP932 bytes are
// the rule; a file that is valid UTF-8 with non-ASCII text (a text editor's default) is
// read as UTF-8, with a warning.
ReadResult parseDataFile(const std::string& bytes, SlopeModel& model, SdwPart part,
                         const std::string& displayName);

} // namespace keltora
