// Values of a section that no soil or geometry can have (negative unit weights or cohesion,
// friction angles of 90 degrees or more, lines pointing at missing points, an unknown
// method code): a calculation would run on them and print a factor of safety that means
// nothing, so they are findings of the check and warnings before every result.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"

namespace keltora {

struct ValueFinding {
    enum class Kind { Block, Line, Method };
    Kind kind = Kind::Block;
    int element = -1; // block or line slot; -1 for the method
    std::string text; // UTF-8, Japanese, one sentence naming the element and the value
};

// Every physically meaningless value, blocks first (in slot order), then lines, then the
// method code. Free slots are not checked.
std::vector<ValueFinding> checkPhysicalValues(const SlopeModel& model);

// The valid method codes in words, for messages about an unknown one:
// "0 修正フェレニウス法, 1 チェボタリオフ法, ...".
std::string methodCodesText();

// A message of the calculation about a method code it cannot run ("cm.kt != 0,1"),
// explained in words an engineer understands; other texts come back unchanged.
std::string explainMethodGuard(const std::string& text, int method);

} // namespace keltora
