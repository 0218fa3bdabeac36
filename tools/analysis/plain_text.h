// Text from a file or the command line, made safe for one line on a
// terminal: invisible characters (control characters, the byte-order mark,
// zero-width and direction marks) and bytes that are not UTF-8 as \xNN, a
// backslash doubled. Shared by the companion programs' messages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr std::size_t kQuoteBytes = 48;  // bytes of a name or value quoted in a message, then "..."

// Pure: at most maxBytes of `text` (then "..."), escaped.
std::string plainText(std::string_view text, std::size_t maxBytes = std::string_view::npos);

// Pure: `text` in double quotes, a quote inside escaped, cut after maxBytes;
// "..." before the closing quote when cut there or when `cut` says the text
// went on already.
std::string quotedText(std::string_view text, std::size_t maxBytes, bool cut = false);

// Pure: digits with at most one decimal point among or after them; no sign,
// exponent, hexadecimal ("0x10"), "inf", "nan" or blanks, which strtod
// would take: the numbers a command line of the companions accepts.
bool isPlainDecimal(const char* text);
