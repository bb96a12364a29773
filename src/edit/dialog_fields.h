// What every dialog shares: how a number is shown in an edit box and read back from it,
// and how a confirmation decides what changed (modified only, or results discarded).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/message.h"
#include "model/model.h"

namespace keltora {

// Decimals of the numeric edit boxes of the dialogs.
inline constexpr int kDialogDecimals = 4;

// A number as an edit box shows it: "%5.4f". A stored value that is not a number shows
// as it is ("nan"), so that it can be seen and retyped.
std::string showEditNumber(double value);

// The number in an edit box: empty, unreadable or not finite text ("nan", "inf", "1e999")
// reads as 0.
double readEditNumber(const std::string& text);

// What an edit box shows when it loses focus after the user typed into it: the number it
// reads as, formatted like showEditNumber.
std::string reformatEditNumber(const std::string& text);

// An integer field (point numbers, codes, decimals): "%d" on show; a decimal text is
// rounded to the nearest integer, unreadable text reads as 0.
std::string showEditInteger(int32_t value);
int32_t readEditInteger(const std::string& text);
std::string reformatEditInteger(const std::string& text);

// True when the cell holds something other than blanks.
bool isFilled(const std::string& text);

// The text without leading and trailing blanks.
std::string trimmedText(const std::string& text);

// What a confirmation did.
struct DialogOutcome {
    bool accepted = true;          // false: refused, the model is unchanged, the dialog stays open
    bool stored = false;           // at least one value was replaced
    bool resultsDiscarded = false; // a replaced value affects the results
    MessageList messages;          // to show, in order (the refusal's reason among them)
};

// Collects the replacements of one confirmation and applies the change flags once.
class ChangeRecorder {
  public:
    explicit ChangeRecorder(SlopeModel& model) : model_(&model) {}
    ChangeRecorder() = default; // records only; finish() then sets no flags

    // A number field: when the text is what the dialog showed for the stored value, nothing
    // changes (a value with more decimals than shown survives an unchanged confirmation).
    // Otherwise the text is read and replaces the stored value when they differ by 1e-7 or
    // more; a stored value that is not a number is always replaced.
    bool number(double& stored, const std::string& text, bool affectsResults);
    // A computed value (not a typed text), with the same 1e-7 rule.
    bool value(double& stored, double value, bool affectsResults);
    bool code(int32_t& stored, int32_t value, bool affectsResults);
    bool text(std::string& stored, const std::string& value, bool affectsResults);
    // Something else was rewritten by the caller.
    void changed(bool affectsResults);

    bool anyChange() const { return stored_; }
    bool resultsAffected() const { return affectsResults_; }

    // Sets modified = 1 (and calcState = 0 when a result-affecting value changed) if
    // anything was replaced, and returns the outcome.
    DialogOutcome finish();

  private:
    void note(bool changed, bool affectsResults);

    SlopeModel* model_ = nullptr;
    bool stored_ = false;
    bool affectsResults_ = false;
};

// A refusal: the dialog stays open and shows the message.
DialogOutcome refused(Message message);

// Refuses a job title that does not fit the 63 CP932 bytes of the file or holds characters
// that CP932 cannot encode.
std::optional<Message> checkTitle(const std::string& title);

} // namespace keltora
