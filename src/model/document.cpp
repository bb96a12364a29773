// Document state around the section model: open, save, save as, new.
#include "model/document.h"

namespace keltora {

namespace fs = std::filesystem;

Document::Document(fs::path startDirectory)
    : model_(std::make_unique<SlopeModel>()), startDirectory_(std::move(startDirectory)),
      dataDirectory_(startDirectory_)
{
    resetModel(*model_);
}

fs::path Document::dataPath() const
{
    if (model_->dataName.empty()) return {};
    return dataDirectory_ / (model_->dataName + dataExtension_);
}

void Document::reset()
{
    resetModel(*model_);
    results_.reset();
    dataExtension_ = ".SDW";
}

ReadResult Document::open(const fs::path& path)
{
    ReadResult r = readDataFile(*model_, path);
    if (r.status == 0) {
        dataDirectory_ = path.has_parent_path() ? path.parent_path() : fs::path(".");
        dataExtension_ = path.extension().string();
        results_.reset();
    }
    return r;
}

WriteResult Document::save()
{
    if (model_->modified <= 0) return {};
    if (model_->dataName.empty())
        return {false, Message{"データファイル名が決まっていません。名前を付けて保存してください。",
                               "error"}};
    return writeDataFile(*model_, dataPath());
}

WriteResult Document::saveAs(const fs::path& path)
{
    WriteResult w = writeDataFile(*model_, path);
    if (w.ok) {
        dataDirectory_ = path.has_parent_path() ? path.parent_path() : fs::path(".");
        dataExtension_ = path.extension().string();
    }
    return w;
}

} // namespace keltora
