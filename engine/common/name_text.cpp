#include "name_text.h"

#include <cstdio>

namespace lrx {
namespace {

unsigned char ByteAt(const std::string& text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
}

// The length of the valid UTF-8 character at text[i], or 0 when none starts
// there (a stray byte, an overlong form, a surrogate, a code past U+10FFFF).
std::size_t Utf8Length(const std::string& text, std::size_t i) {
    const unsigned char lead = ByteAt(text, i);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char c = ByteAt(text, i + k);
        if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

// Windows-1252 from 80 to 9F; the rest of its upper half is Latin-1.
constexpr unsigned kWindows1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Whether the character at text[i], n bytes long, is a control character:
// C0, DEL or C1.
bool IsControlCharacter(const std::string& text, std::size_t i, std::size_t n) {
    const unsigned char lead = ByteAt(text, i);
    if (n == 1) return lead < 0x20 || lead == 0x7F;
    return n == 2 && lead == 0xC2 && ByteAt(text, i + 1) < 0xA0;
}

bool IsPrintableAt(const std::string& text, std::size_t i, std::size_t& length) {
    length = Utf8Length(text, i);
    return length > 0 && !IsControlCharacter(text, i, length);
}

void AppendEscaped(std::string& out, unsigned char c) {
    switch (c) {
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            out += '\\';
            out += static_cast<char>('0' + (c >> 6));
            out += static_cast<char>('0' + ((c >> 3) & 7));
            out += static_cast<char>('0' + (c & 7));
    }
}

}  // namespace

std::string NameAsUtf8(const std::string& stored) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < stored.size(); i += length) {
        length = Utf8Length(stored, i);
        if (length > 0) continue;
        std::string out;
        for (unsigned char c : stored) {
            AppendUtf8(out, c >= 0x80 && c < 0xA0 ? kWindows1252[c - 0x80] : c);
        }
        return out;
    }
    return stored;
}

std::string PrintableName(const std::string& stored) {
    bool plain = stored.find('\\') == std::string::npos;
    std::size_t length = 0;
    for (std::size_t i = 0; plain && i < stored.size(); i += length) {
        plain = IsPrintableAt(stored, i, length);
    }
    if (plain) return stored;
    std::string out = "'";
    for (std::size_t i = 0; i < stored.size();) {
        if (IsPrintableAt(stored, i, length)) {
            if (stored[i] == '\\' || stored[i] == '\'') out += '\\';
            out.append(stored, i, length);
            i += length;
        } else {
            // A C1 control is escaped byte by byte, like a stray byte.
            for (const std::size_t end = i + (length > 0 ? length : 1); i < end; ++i) {
                AppendEscaped(out, ByteAt(stored, i));
            }
        }
    }
    return out + "'";
}

std::string JsonName(const std::string& stored) {
    const std::string text = NameAsUtf8(stored);
    std::string out = "\"";
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size(); i += length) {
        if (IsPrintableAt(text, i, length)) {
            if (text[i] == '"' || text[i] == '\\') out += '\\';
            out.append(text, i, length);
            continue;
        }
        // A control character: one byte, or C2 and the code's low byte.
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", ByteAt(text, i + length - 1));
        out += escaped;
    }
    return out + "\"";
}

std::string PadToColumns(std::string text, std::size_t columns) {
    std::size_t characters = 0;
    for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
    if (characters < columns) text.append(columns - characters, ' ');
    return text;
}

}  // namespace lrx
