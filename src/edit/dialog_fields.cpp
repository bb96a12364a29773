// Number fields of the dialogs and the change flags of a confirmation.
#include "edit/dialog_fields.h"

#include <cmath>
#include <limits>

#include "model/c_format.h"
#include "model/text_encoding.h"

namespace keltora {

std::string showEditNumber(double value)
{
    return cformat("%5.4f", value);
}

double readEditNumber(const std::string& text)
{
    double v = 0.0;
    if (cscan(text.c_str(), "%lf", &v) != 1 || !std::isfinite(v)) return 0.0;
    return v;
}

std::string reformatEditNumber(const std::string& text)
{
    return showEditNumber(readEditNumber(text));
}

std::string showEditInteger(int32_t value)
{
    return cformat("%d", value);
}

int32_t readEditInteger(const std::string& text)
{
    const double v = std::round(readEditNumber(text));
    // Beyond the range of the stored integers the text cannot mean anything useful.
    if (!(v >= static_cast<double>(std::numeric_limits<int32_t>::min()) &&
          v <= static_cast<double>(std::numeric_limits<int32_t>::max())))
        return 0;
    return static_cast<int32_t>(v);
}

std::string reformatEditInteger(const std::string& text)
{
    return showEditInteger(readEditInteger(text));
}

bool isFilled(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") != std::string::npos;
}

std::string trimmedText(const std::string& text)
{
    const auto b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return text.substr(b, text.find_last_not_of(" \t\r\n") - b + 1);
}

void ChangeRecorder::note(bool changed, bool affectsResults)
{
    if (!changed) return;
    stored_ = true;
    if (affectsResults) affectsResults_ = true;
}

bool ChangeRecorder::number(double& stored, const std::string& text, bool affectsResults)
{
    if (trimmedText(text) == trimmedText(showEditNumber(stored))) return false;
    return value(stored, readEditNumber(text), affectsResults);
}

bool ChangeRecorder::value(double& stored, double value, bool affectsResults)
{
    bool changed;
    if (std::isnan(stored) && !std::isnan(value)) {
        // The literal rule |stored - value| >= 1e-7 is never true for a stored NaN.
        stored = value;
        changed = true;
    } else {
        changed = assignIfChanged(stored, value);
    }
    note(changed, affectsResults);
    return changed;
}

bool ChangeRecorder::code(int32_t& stored, int32_t value, bool affectsResults)
{
    const bool changed = assignIfChanged(stored, value);
    note(changed, affectsResults);
    return changed;
}

bool ChangeRecorder::text(std::string& stored, const std::string& value, bool affectsResults)
{
    const bool changed = assignIfChanged(stored, value);
    note(changed, affectsResults);
    return changed;
}

void ChangeRecorder::changed(bool affectsResults)
{
    note(true, affectsResults);
}

DialogOutcome ChangeRecorder::finish()
{
    DialogOutcome out;
    out.stored = stored_;
    out.resultsDiscarded = affectsResults_;
    if (stored_ && model_) markChanged(*model_, affectsResults_);
    return out;
}

DialogOutcome refused(Message message)
{
    DialogOutcome out;
    out.accepted = false;
    out.messages.push_back(std::move(message));
    return out;
}

std::optional<Message> checkTitle(const std::string& title)
{
    bool lossless = true;
    const std::string bytes = utf8ToCp932(title, &lossless);
    if (!lossless)
        return Message{"検討ケースにシフトJISで表せない文字があります。その文字を除いてください。",
                       "error"};
    if (bytes.size() > static_cast<std::size_t>(kMaxTitleBytes))
        return Message{cformat("検討ケースが長すぎます（%zu バイト）。シフトJISで %d バイト"
                               "（全角 %d 文字）までにしてください。",
                               bytes.size(), kMaxTitleBytes, kMaxTitleBytes / 2),
                       "error"};
    return std::nullopt;
}

} // namespace keltora
