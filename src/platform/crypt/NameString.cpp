#include "platform/crypt/NameString.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include <openssl/asn1.h>
#include <openssl/objects.h>

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/OpenSslHandles.h"

namespace platform::crypt {

namespace {

struct KeyEntry {
    const char* key;
    const char* oid;
};

// The attribute names of the "MsSP3" rendering.
constexpr std::array<KeyEntry, 23> kKeys{{
    {"CN", "2.5.4.3"},
    {"L", "2.5.4.7"},
    {"O", "2.5.4.10"},
    {"OU", "2.5.4.11"},
    {"E", "1.2.840.113549.1.9.1"},
    {"C", "2.5.4.6"},
    {"S", "2.5.4.8"},
    {"STREET", "2.5.4.9"},
    {"T", "2.5.4.12"},
    {"G", "2.5.4.42"},
    {"I", "2.5.4.43"},
    {"SN", "2.5.4.4"},
    {"DC", "0.9.2342.19200300.100.1.25"},
    {"SERIALNUMBER", "2.5.4.5"},
    {"Description", "2.5.4.13"},
    {"PostalCode", "2.5.4.17"},
    {"POBox", "2.5.4.18"},
    {"Phone", "2.5.4.20"},
    {"X21Address", "2.5.4.24"},
    {"dnQualifier", "2.5.4.46"},
    {"UnstructuredName", "1.2.840.113549.1.9.2"},
    {"UnstructuredAddress", "1.2.840.113549.1.9.8"},
    {"UID", "0.9.2342.19200300.100.1.1"},
}};

std::string oidText(const ASN1_OBJECT* obj) {
    char buffer[128];
    int n = OBJ_obj2txt(buffer, sizeof buffer, obj, 1);
    if (n <= 0) {
        return {};
    }
    if (static_cast<size_t>(n) < sizeof buffer) {
        return std::string(buffer, static_cast<size_t>(n));
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    OBJ_obj2txt(big.data(), n + 1, obj, 1);
    big.resize(static_cast<size_t>(n));
    return big;
}

bool needsQuoting(const std::string& v) {
    if (v.empty() || v.front() == ' ' || v.back() == ' ') {
        return true;
    }
    return v.find_first_of(",+=\"\r\n<>#;") != std::string::npos;
}

std::string hexOf(const unsigned char* p, size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(n * 2);
    for (size_t i = 0; i < n; ++i) {
        out.push_back(digits[p[i] >> 4]);
        out.push_back(digits[p[i] & 0x0F]);
    }
    return out;
}

std::string valueText(const ASN1_STRING* value) {
    int type = ASN1_STRING_type(value);
    switch (type) {
    case V_ASN1_PRINTABLESTRING:
    case V_ASN1_IA5STRING:
    case V_ASN1_UTF8STRING:
    case V_ASN1_BMPSTRING:
    case V_ASN1_UNIVERSALSTRING:
    case V_ASN1_T61STRING:
    case V_ASN1_VISIBLESTRING:
    case V_ASN1_NUMERICSTRING: {
        unsigned char* utf8 = nullptr;
        int n = ASN1_STRING_to_UTF8(&utf8, value);
        if (n < 0) {
            return {};
        }
        std::string out(reinterpret_cast<char*>(utf8), static_cast<size_t>(n));
        OPENSSL_free(utf8);
        return out;
    }
    default:
        // Not a string: the octets in hexadecimal after "#".
        return "#" +
               hexOf(ASN1_STRING_get0_data(value), static_cast<size_t>(ASN1_STRING_length(value)));
    }
}

std::string rdnSeparator(uint32_t strType) {
    if (strType & name_str::SEMICOLON_FLAG) {
        return "; ";
    }
    if (strType & name_str::CRLF_FLAG) {
        return "\r\n";
    }
    return ", ";
}

[[noreturn]] void badName() {
    raiseCrypt(__FILE__, __LINE__, CRYPT_E_INVALID_X500_STRING);
}

std::string oidOfKey(std::string_view key) {
    for (const KeyEntry& entry : kKeys) {
        if (key.size() == std::strlen(entry.key) &&
            std::equal(key.begin(), key.end(), entry.key, [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return entry.oid;
        }
    }
    std::string_view dotted = key;
    if (dotted.size() > 4 && (dotted.substr(0, 4) == "OID." || dotted.substr(0, 4) == "oid.")) {
        dotted.remove_prefix(4);
    }
    if (dotted.empty() || dotted.find_first_not_of("0123456789.") != std::string_view::npos ||
        dotted.front() == '.' || dotted.back() == '.' ||
        dotted.find("..") != std::string_view::npos) {
        badName();
    }
    return std::string(dotted);
}

// Decodes UTF-8 into code points; false when malformed.
bool decodeUtf8(const std::string& s, std::u32string& out) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) {
            return false;
        }
        char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        out.push_back(cp);
        i += len;
    }
    return true;
}

bool isPrintable(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::u32string_view(U" '()+,-./:=?").find(c) != std::u32string_view::npos;
}

void addEntry(X509_NAME* name, const std::string& oid, const std::string& value, int set,
              uint32_t strType) {
    ASN1_OBJECT* obj = OBJ_txt2obj(oid.c_str(), 1);
    if (obj == nullptr) {
        badName();
    }
    std::unique_ptr<ASN1_OBJECT, OpenSslFree<ASN1_OBJECT, ASN1_OBJECT_free>> objOwner(obj);
    std::u32string cps;
    if (!decodeUtf8(value, cps)) {
        badName();
    }
    bool printable = std::all_of(cps.begin(), cps.end(), isPrintable);
    bool latin1 = std::all_of(cps.begin(), cps.end(), [](char32_t c) { return c <= 0xFF; });
    bool ascii = std::all_of(cps.begin(), cps.end(), [](char32_t c) { return c < 0x80; });
    bool ia5Attribute = oid == "1.2.840.113549.1.9.1" || oid == "0.9.2342.19200300.100.1.25";
    int type;
    std::string bytes;
    if (printable && !ia5Attribute) {
        type = V_ASN1_PRINTABLESTRING;
        bytes = value;
    } else if (ia5Attribute && ascii) {
        type = V_ASN1_IA5STRING;
        bytes = value;
    } else if ((strType & name_str::ENABLE_T61_UNICODE_FLAG) && latin1) {
        type = V_ASN1_T61STRING;
        for (char32_t c : cps) {
            bytes.push_back(static_cast<char>(c));
        }
    } else if (strType & name_str::ENABLE_UTF8_UNICODE_FLAG) {
        type = V_ASN1_UTF8STRING;
        bytes = value;
    } else {
        type = V_ASN1_BMPSTRING;
        for (char32_t c : cps) {
            if (c > 0xFFFF) {
                // Outside the BMP: fall back to UTF-8.
                type = V_ASN1_UTF8STRING;
                bytes = value;
                break;
            }
            bytes.push_back(static_cast<char>(c >> 8));
            bytes.push_back(static_cast<char>(c & 0xFF));
        }
    }
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
        badName();
    }
    if (X509_NAME_add_entry_by_OBJ(name, obj, type,
                                   reinterpret_cast<const unsigned char*>(bytes.data()),
                                   static_cast<int>(bytes.size()), -1, set) != 1) {
        badName();
    }
}

struct ParsedAttribute {
    std::string oid;
    std::string value;
    bool joinsPrevious; // "+" before it: same relative distinguished name
};

std::vector<ParsedAttribute> parseName(const std::string& text, uint32_t strType) {
    std::vector<ParsedAttribute> out;
    std::string separators = ",;";
    if (strType & name_str::SEMICOLON_FLAG) {
        separators = ";";
    } else if (strType & name_str::COMMA_FLAG) {
        separators = ",";
    } else if (strType & name_str::CRLF_FLAG) {
        separators = "\r\n";
    }
    bool allowPlus = (strType & name_str::NO_PLUS_FLAG) == 0;
    bool allowQuotes = (strType & name_str::NO_QUOTING_FLAG) == 0;
    size_t i = 0;
    const size_t n = text.size();
    auto skipSpaces = [&] {
        while (i < n && (text[i] == ' ' || text[i] == '\t' ||
                         ((text[i] == '\r' || text[i] == '\n') &&
                          separators.find(text[i]) == std::string::npos))) {
            ++i;
        }
    };
    bool joins = false;
    skipSpaces();
    if (i == n) {
        return out;
    }
    while (true) {
        skipSpaces();
        size_t keyStart = i;
        while (i < n && text[i] != '=' && separators.find(text[i]) == std::string::npos) {
            ++i;
        }
        if (i >= n || text[i] != '=') {
            badName();
        }
        std::string key = text.substr(keyStart, i - keyStart);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) {
            key.pop_back();
        }
        if (key.empty()) {
            badName();
        }
        ++i; // '='
        skipSpaces();
        std::string value;
        if (allowQuotes && i < n && text[i] == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        value.push_back('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value.push_back(text[i++]);
            }
            if (!closed) {
                badName();
            }
            skipSpaces();
        } else {
            size_t start = i;
            while (i < n && separators.find(text[i]) == std::string::npos &&
                   !(allowPlus && text[i] == '+')) {
                ++i;
            }
            value = text.substr(start, i - start);
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
                value.pop_back();
            }
        }
        out.push_back({oidOfKey(key), value, joins});
        if (i >= n) {
            break;
        }
        if (allowPlus && text[i] == '+') {
            joins = true;
        } else if (separators.find(text[i]) != std::string::npos) {
            joins = false;
        } else {
            badName();
        }
        ++i;
    }
    return out;
}

} // namespace

std::string attributeKey(const std::string& dottedOid) {
    for (const KeyEntry& entry : kKeys) {
        if (dottedOid == entry.oid) {
            return entry.key;
        }
    }
    return {};
}

std::string nameToString(const X509_NAME* name, uint32_t strType) {
    if (name == nullptr) {
        return {};
    }
    uint32_t type = strType & 0xFFFF;
    if (type != name_str::SIMPLE && type != name_str::OID && type != name_str::X500) {
        type = name_str::X500;
    }
    // Group the entries by relative distinguished name.
    std::vector<std::vector<const X509_NAME_ENTRY*>> rdns;
    int previousSet = -1;
    for (int k = 0; k < X509_NAME_entry_count(name); ++k) {
        const X509_NAME_ENTRY* entry = X509_NAME_get_entry(name, k);
        int set = X509_NAME_ENTRY_set(entry);
        if (rdns.empty() || set != previousSet) {
            rdns.emplace_back();
        }
        rdns.back().push_back(entry);
        previousSet = set;
    }
    if (strType & name_str::REVERSE_FLAG) {
        std::reverse(rdns.begin(), rdns.end());
    }
    const std::string separator = rdnSeparator(strType);
    const bool quoting = (strType & name_str::NO_QUOTING_FLAG) == 0;
    std::string out;
    for (size_t r = 0; r < rdns.size(); ++r) {
        if (r > 0) {
            out += separator;
        }
        for (size_t a = 0; a < rdns[r].size(); ++a) {
            if (a > 0) {
                out += (strType & name_str::NO_PLUS_FLAG) ? separator : std::string(" + ");
            }
            const X509_NAME_ENTRY* entry = rdns[r][a];
            std::string oid = oidText(X509_NAME_ENTRY_get_object(entry));
            if (type == name_str::X500) {
                std::string key = attributeKey(oid);
                out += key.empty() ? "OID." + oid : key;
                out += '=';
            } else if (type == name_str::OID) {
                out += oid;
                out += '=';
            }
            std::string value = valueText(X509_NAME_ENTRY_get_data(entry));
            if (quoting && needsQuoting(value)) {
                out += '"';
                for (char c : value) {
                    out += c;
                    if (c == '"') {
                        out += '"';
                    }
                }
                out += '"';
            } else {
                out += value;
            }
        }
    }
    return out;
}

std::string nameToString(const std::vector<unsigned char>& der, uint32_t strType) {
    const unsigned char* p = der.data();
    X509NamePtr name(d2i_X509_NAME(nullptr, &p, static_cast<long>(der.size())));
    if (!name) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    return nameToString(name.get(), strType);
}

std::vector<unsigned char> stringToName(const std::string& text, uint32_t strType) {
    std::vector<ParsedAttribute> attributes = parseName(text, strType);
    // Group into relative distinguished names, then order them.
    std::vector<std::vector<ParsedAttribute>> rdns;
    for (ParsedAttribute& attribute : attributes) {
        if (rdns.empty() || !attribute.joinsPrevious) {
            rdns.emplace_back();
        }
        rdns.back().push_back(std::move(attribute));
    }
    if (strType & name_str::REVERSE_FLAG) {
        std::reverse(rdns.begin(), rdns.end());
    }
    X509NamePtr name(X509_NAME_new());
    if (!name) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_MEMORY);
    }
    for (const auto& rdn : rdns) {
        for (size_t a = 0; a < rdn.size(); ++a) {
            addEntry(name.get(), rdn[a].oid, rdn[a].value, a == 0 ? 0 : -1, strType);
        }
    }
    return derOf(name.get(), i2d_X509_NAME);
}

} // namespace platform::crypt
