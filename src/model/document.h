// The one open document: the section model, the document state around it (where it
// lives, where the program started) and the results of the last calculation.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "model/message.h"
#include "model/model.h"
#include "model/sdw_file.h"

namespace keltora {

struct CalculationResults; // defined by the analysis engine

class Document {
  public:
    // A new untitled document; start and data directory = startDirectory.
    explicit Document(std::filesystem::path startDirectory = std::filesystem::current_path());

    SlopeModel& model() { return *model_; }
    const SlopeModel& model() const { return *model_; }

    const std::filesystem::path& startDirectory() const { return startDirectory_; }
    const std::filesystem::path& dataDirectory() const { return dataDirectory_; }

    // The full path of the data file, empty for an untitled document. It keeps the
    // extension as the file was opened or saved ("case.sdw" saves to "case.sdw").
    std::filesystem::path dataPath() const;

    // New document: the model is reset and the results dropped.
    void reset();

    // Opens a data file: on success the data directory becomes its folder and the
    // results are dropped. On failure the document is unchanged.
    ReadResult open(const std::filesystem::path& path);

    // Saves under the current name (only when modified > 0) or under a new path.
    // A failed save leaves the document, its name and the file on disk unchanged.
    WriteResult save();
    WriteResult saveAs(const std::filesystem::path& path);

    // Results of the last calculation; null when there are none.
    const std::shared_ptr<CalculationResults>& results() const { return results_; }
    void setResults(std::shared_ptr<CalculationResults> r) { results_ = std::move(r); }

  private:
    std::unique_ptr<SlopeModel> model_;
    std::filesystem::path startDirectory_;
    std::filesystem::path dataDirectory_;
    std::string dataExtension_ = ".SDW"; // of the file opened or saved last
    std::shared_ptr<CalculationResults> results_;
};

} // namespace keltora
