// The SDW section data file: writing, reading and the partial loads of conditions,
// blocks and terrain.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "model/message.h"
#include "model/model.h"

namespace keltora {

inline constexpr int kSdwVersion = 2100;

struct ReadResult {
    int status = 0;               // 0 read, 1 file missing, -1 version too old
    std::optional<Message> error; // set when status != 0
    MessageList warnings;         // rows beyond capacities, unreadable lines, early end
    int version = 0;              // version of the file read
};

struct WriteResult {
    bool ok = true;
    std::optional<Message> error; // set when !ok
};

// What a read takes from the file.
enum class SdwPart { Everything, Conditions, Blocks, Terrain };

// The whole document as the bytes of an SDW file (CP932, CR LF). name is written on
// the file name line.
std::string formatDataFile(const SlopeModel& model, const std::string& name);

// Writes the document to path (atomically). On success dataName becomes the file's stem
// and modified 0; on failure the file on disk and the model are unchanged.
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
// fields absent from the file keep the values they had). No file access.
ReadResult parseDataFile(const std::string& bytes, SlopeModel& model, SdwPart part,
                         const std::string& displayName);

} // namespace keltora
