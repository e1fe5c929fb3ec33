#pragma once

#include <string>
#include <string_view>

// What reaches a terminal of a name the program did not make: a name may hold a line break, to
// forge a row, or an escape sequence, to drive the terminal.

// The name as it is when every byte shows as itself: printable UTF-8 and spaces. Otherwise the
// name in the shell's own quoting, each byte that would not show written as $'\n' or $'\033',
// so the line reads as one name that a shell takes back as the same bytes.
std::string terminalName(std::string_view name);

// A message with each byte that would not show replaced by '?'.
std::string terminalText(std::string_view text);
