#include "component/certificates/XercesRegex.h"

#include <mutex>
#include <stdexcept>

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/regx/Match.hpp>
#include <xercesc/util/regx/RegularExpression.hpp>

namespace component::certificates {

namespace {

void ensureXerces() {
    static std::once_flag once;
    // Initialisation is counted by Xerces; the module's own one stays in charge of the end.
    std::call_once(once, [] { xercesc::XMLPlatformUtils::Initialize(); });
}

std::u16string toUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp = 0xFFFD;
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (len == 1) {
            cp = c < 0x80 ? c : 0xFFFD;
        } else if (i + len <= text.size()) {
            cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
            for (size_t k = 1; k < len; ++k) {
                unsigned char cc = static_cast<unsigned char>(text[i + k]);
                if ((cc & 0xC0) != 0x80) {
                    cp = 0xFFFD;
                    len = k;
                    break;
                }
                cp = (cp << 6) | (cc & 0x3F);
            }
        } else {
            len = text.size() - i;
        }
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp > 0x10FFFF ? 0xFFFD : cp));
        }
        i += len;
    }
    return out;
}

std::string toUtf8(const char16_t* s, size_t n) {
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

const XMLCh* xml(const std::u16string& s) {
    return reinterpret_cast<const XMLCh*>(s.c_str());
}

} // namespace

struct XercesRegex::Impl {
    std::unique_ptr<xercesc::RegularExpression> regex;
};

XercesRegex::XercesRegex(const std::string& pattern, const char* options)
    : impl_(std::make_unique<Impl>()) {
    ensureXerces();
    std::u16string p = toUtf16(pattern);
    try {
        if (options != nullptr) {
            std::u16string o = toUtf16(options);
            impl_->regex = std::make_unique<xercesc::RegularExpression>(xml(p), xml(o));
        } else {
            impl_->regex = std::make_unique<xercesc::RegularExpression>(xml(p));
        }
    } catch (const xercesc::XMLException&) {
        throw std::invalid_argument("invalid regular expression: " + pattern);
    }
}

XercesRegex::~XercesRegex() = default;

bool XercesRegex::matches(const std::string& text) const {
    std::u16string t = toUtf16(text);
    return impl_->regex->matches(xml(t));
}

std::optional<std::vector<std::string>> XercesRegex::groups(const std::string& text) const {
    std::u16string t = toUtf16(text);
    xercesc::Match match;
    if (!impl_->regex->matches(xml(t), &match)) {
        return std::nullopt;
    }
    std::vector<std::string> out;
    for (int g = 0; g < match.getNoGroups(); ++g) {
        int start = match.getStartPos(g);
        int end = match.getEndPos(g);
        if (start < 0 || end < start || static_cast<size_t>(end) > t.size()) {
            out.emplace_back();
            continue;
        }
        out.push_back(toUtf8(t.data() + start, static_cast<size_t>(end - start)));
    }
    return out;
}

std::string XercesRegex::replace(const std::string& text, const std::string& replacement) const {
    std::u16string t = toUtf16(text);
    std::u16string r = toUtf16(replacement);
    XMLCh* result = nullptr;
    try {
        result = impl_->regex->replace(xml(t), xml(r));
    } catch (const xercesc::XMLException&) {
        throw std::invalid_argument("invalid replacement");
    }
    const char16_t* p = reinterpret_cast<const char16_t*>(result);
    std::string out = toUtf8(p, xercesc::XMLString::stringLen(result));
    xercesc::XMLString::release(&result);
    return out;
}

} // namespace component::certificates
