// Conversion between UTF-8 (in memory) and CP932 (in files): the only place that knows
// about the file encoding.
#pragma once

#include <string>
#include <string_view>

namespace keltora {

// UTF-8 -> CP932. Characters CP932 cannot hold become '?'; *lossless is false then.
std::string utf8ToCp932(std::string_view utf8, bool* lossless = nullptr);

// CP932 -> UTF-8. Invalid bytes become '?'; *lossless is false then.
std::string cp932ToUtf8(std::string_view cp932, bool* lossless = nullptr);

// Number of CP932 bytes of a UTF-8 text.
std::size_t cp932Length(std::string_view utf8);

// Cuts a UTF-8 text so that its CP932 form has at most maxBytes bytes, never inside a
// character.
std::string truncateToCp932Bytes(std::string_view utf8, std::size_t maxBytes);

} // namespace keltora
