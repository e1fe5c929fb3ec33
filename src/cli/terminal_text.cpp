#include "cli/terminal_text.h"

#include <cstdio>

namespace {

// The length of the printable character at the start of `text`, or 0 when its first byte
// would not show as itself: a control character, DEL, a C1 control (which some terminals obey
// as escape sequences), or a byte that is not UTF-8.
std::size_t shownCharacter(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(0);
    if (first < 0x20 || first == 0x7f) return 0;
    if (first < 0x80) return 1;
    std::size_t length = 0;
    char32_t code = 0;
    if ((first & 0xe0) == 0xc0) {
        length = 2;
        code = first & 0x1f;
    } else if ((first & 0xf0) == 0xe0) {
        length = 3;
        code = first & 0x0f;
    } else if ((first & 0xf8) == 0xf0) {
        length = 4;
        code = first & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80) return 0;
        code = (code << 6) | (byte(i) & 0x3f);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = code >= kLeast[length] && code <= 0x10ffff &&
                       !(code >= 0xd800 && code <= 0xdfff) && !(code >= 0x80 && code <= 0x9f);
    return valid ? length : 0;
}

void appendEscaped(std::string& out, unsigned char byte)
{
    switch (byte) {
    case '\a':
        out += "\\a";
        return;
    case '\b':
        out += "\\b";
        return;
    case '\t':
        out += "\\t";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\v':
        out += "\\v";
        return;
    case '\f':
        out += "\\f";
        return;
    case '\r':
        out += "\\r";
        return;
    default:
        break;
    }
    char octal[8];
    std::snprintf(octal, sizeof octal, "\\%03o", byte);
    out += octal;
}

bool allShown(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = shownCharacter(text.substr(at));
        if (length == 0) return false;
        at += length;
    }
    return true;
}

} // namespace

std::string terminalName(std::string_view name)
{
    if (allShown(name)) return std::string(name);
    std::string out;
    bool quoted = false; // inside '...'
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = shownCharacter(name.substr(at));
        if (length == 0) {
            if (quoted) out += '\'';
            quoted = false;
            out += "$'";
            appendEscaped(out, static_cast<unsigned char>(name[at]));
            out += '\'';
            ++at;
            continue;
        }
        if (!quoted) out += '\'';
        quoted = true;
        if (name[at] == '\'')
            out += "'\\''";
        else
            out.append(name.substr(at, length));
        at += length;
    }
    if (quoted) out += '\'';
    return out;
}

std::string terminalText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = shownCharacter(text.substr(at));
        out.append(length == 0 ? std::string_view("?") : text.substr(at, length));
        at += length == 0 ? 1 : length;
    }
    return out;
}
