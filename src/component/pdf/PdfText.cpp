#include "component/pdf/PdfText.h"

#include <array>

namespace component::pdf {

namespace {

// Unicode code points of the bytes 0x80-0x9F of Windows-1252 (0 where the byte is unused).
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int toByte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<int>(c);
    }
    for (size_t i = 0; i < kHighTable.size(); ++i) {
        if (kHighTable[i] != 0 && kHighTable[i] == c) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

// Precomposed Latin-1 letter for base + combining mark, 0 when there is none.
char32_t compose(char32_t base, char32_t mark) {
    struct Entry {
        char16_t mark;
        const char* bases;
        const char16_t* results;
    };
    static const Entry table[] = {
        {0x0300, "AEIOUaeiou", u"\u00C0\u00C8\u00CC\u00D2\u00D9\u00E0\u00E8\u00EC\u00F2\u00F9"},
        {0x0301, "AEIOUYaeiouy",
         u"\u00C1\u00C9\u00CD\u00D3\u00DA\u00DD\u00E1\u00E9\u00ED\u00F3\u00FA\u00FD"},
        {0x0302, "AEIOUaeiou", u"\u00C2\u00CA\u00CE\u00D4\u00DB\u00E2\u00EA\u00EE\u00F4\u00FB"},
        {0x0303, "ANOano", u"\u00C3\u00D1\u00D5\u00E3\u00F1\u00F5"},
        {0x0308, "AEIOUaeiouy",
         u"\u00C4\u00CB\u00CF\u00D6\u00DC\u00E4\u00EB\u00EF\u00F6\u00FC\u00FF"},
        {0x030A, "Aa", u"\u00C5\u00E5"},
        {0x0327, "Cc", u"\u00C7\u00E7"},
    };
    for (const Entry& entry : table) {
        if (entry.mark != mark) {
            continue;
        }
        for (size_t i = 0; entry.bases[i] != 0; ++i) {
            if (static_cast<char32_t>(entry.bases[i]) == base) {
                return entry.results[i];
            }
        }
    }
    return 0;
}

bool isCombining(char32_t c) {
    return c >= 0x0300 && c <= 0x036F;
}

} // namespace

std::string PdfText::toWindows1252(std::u16string_view text) {
    std::string out(text.size(), '\0');
    char* write = out.data();
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        // Fast path: eight ASCII units not followed by a combining mark.
        while (i + 8 <= n) {
            char16_t any = 0;
            for (size_t k = 0; k < 8; ++k) {
                any |= text[i + k];
            }
            if (any >= 0x80 || (i + 8 < n && text[i + 8] >= 0x0300)) {
                break;
            }
            for (size_t k = 0; k < 8; ++k) {
                write[k] = static_cast<char>(text[i + k]);
            }
            write += 8;
            i += 8;
        }
        if (i >= n) {
            break;
        }
        char32_t c = text[i];
        if (c < 0x80 && (i + 1 >= n || text[i + 1] < 0x0300)) {
            *write++ = static_cast<char>(c); // plain ASCII, nothing to compose
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            // A surrogate pair (or a lone surrogate) has no Windows-1252 form.
            if (c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                ++i;
            }
            *write++ = '?';
            continue;
        }
        if (i + 1 < n && isCombining(text[i + 1])) {
            if (char32_t composed = compose(c, text[i + 1]); composed != 0) {
                c = composed;
                ++i;
            }
        }
        int byte = toByte(c);
        *write++ = byte < 0 ? '?' : static_cast<char>(byte);
    }
    out.resize(static_cast<size_t>(write - out.data()));
    return out;
}

bool PdfText::composes(char16_t base, char16_t mark) {
    return isCombining(mark) && compose(base, mark) != 0;
}

std::string PdfText::escapeLiteral(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\' || c == '(' || c == ')') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

std::string PdfText::unescapeLiteral(std::string_view content) {
    std::string out;
    out.reserve(content.size());
    for (size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        if (c != '\\' || i + 1 == content.size()) {
            out += c;
            continue;
        }
        char e = content[++i];
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case '\r':
            if (i + 1 < content.size() && content[i + 1] == '\n') {
                ++i;
            }
            break;
        case '\n':
            break;
        default:
            if (e >= '0' && e <= '7') {
                unsigned value = static_cast<unsigned>(e - '0');
                for (int digits = 1; digits < 3 && i + 1 < content.size() &&
                                     content[i + 1] >= '0' && content[i + 1] <= '7';
                     ++digits) {
                    value = value * 8 + static_cast<unsigned>(content[++i] - '0');
                }
                out += static_cast<char>(value & 0xFF);
            } else {
                out += e;
            }
        }
    }
    return out;
}

} // namespace component::pdf
