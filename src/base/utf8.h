#pragma once

#include <cstddef>
#include <string_view>

namespace Utf8 {

// Decodes the sequence at text[i] and moves i past it. Returns the code point, or -1 for a
// malformed, overlong or surrogate sequence.
int decode(std::string_view text, std::size_t& i);

} // namespace Utf8
