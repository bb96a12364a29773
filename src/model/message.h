// A message the user must see: its Japanese text and the caption of its box.
// The core never shows anything; the GUI shows these in message boxes, the CLI prints them.
#pragma once

#include <string>
#include <vector>

namespace keltora {

struct Message {
    std::string text;    // UTF-8
    std::string caption; // "error", "break", "ERROR", "メッセージ", "終わり", "確認"
};

using MessageList = std::vector<Message>;

} // namespace keltora
