#include "platform/xml/StreamCanonicalizer.h"

#include <algorithm>

#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/util/XMLString.hpp>

#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlText.h"

namespace platform::xml {

namespace {

constexpr size_t kBufferSize = 64 * 1024;
const std::string kXmlPrefix = "xml";

// A UTF-16 code unit mapped so that comparing mapped units orders texts by code point
// (surrogates, which stand for code points above U+FFFF, sort after U+E000-U+FFFF).
unsigned codePointRank(XMLCh unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) {
        return unit + 0x2000u;
    }
    if (unit >= 0xE000) {
        return unit - 0x800u;
    }
    return unit;
}

// -1, 0 or 1 as a orders before, with or after b by code point.
int compareByCodePoint(const XMLCh* a, const XMLCh* b) {
    a = a == nullptr ? u"" : a;
    b = b == nullptr ? u"" : b;
    for (; *a != 0 && *a == *b; ++a, ++b) {
    }
    unsigned x = codePointRank(*a);
    unsigned y = codePointRank(*b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

bool equals(const XMLCh* a, const char16_t* b) {
    return a != nullptr && std::u16string_view(a) == b;
}

// The prefix of a qualified name ("" without one).
std::u16string_view prefixOf(const XMLCh* qname) {
    std::u16string_view name(qname);
    size_t colon = name.find(u':');
    return colon == std::u16string_view::npos ? std::u16string_view() : name.substr(0, colon);
}

std::vector<std::string> splitPrefixList(const std::string& list) {
    std::vector<std::string> prefixes;
    size_t at = 0;
    while (at < list.size()) {
        size_t start = list.find_first_not_of(" \t\r\n", at);
        if (start == std::string::npos) {
            break;
        }
        size_t end = list.find_first_of(" \t\r\n", start);
        std::string word = list.substr(start, end == std::string::npos ? end : end - start);
        prefixes.push_back(word == "#default" ? std::string() : word);
        at = end == std::string::npos ? list.size() : end;
    }
    return prefixes;
}

} // namespace

StreamCanonicalizer::StreamCanonicalizer(Method method, OctetSink sink)
    : method_(std::move(method)), sink_(std::move(sink)), buffer_(kBufferSize) {
    if (method_.exclusive) {
        inclusivePrefixes_ = splitPrefixList(method_.inclusivePrefixes);
    }
}

StreamCanonicalizer::~StreamCanonicalizer() = default;

void StreamCanonicalizer::finish() {
    flush();
}

void StreamCanonicalizer::flush() {
    if (used_ > 0) {
        sink_(reinterpret_cast<const unsigned char*>(buffer_.data()), used_);
        used_ = 0;
    }
}

void StreamCanonicalizer::put(const std::string& text) {
    for (char c : text) {
        put(c);
    }
}

void StreamCanonicalizer::writeUtf8(const XMLCh* text) {
    if (text != nullptr) {
        writeUtf8(text, std::char_traits<char16_t>::length(text));
    }
}

void StreamCanonicalizer::writeUtf8(const XMLCh* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        unsigned c = text[i];
        if (c < 0x80) {
            put(static_cast<char>(c));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        }
        if (c < 0x800) {
            put(static_cast<char>(0xC0 | (c >> 6)));
        } else if (c < 0x10000) {
            put(static_cast<char>(0xE0 | (c >> 12)));
            put(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        } else {
            put(static_cast<char>(0xF0 | (c >> 18)));
            put(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            put(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        }
        put(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void StreamCanonicalizer::writeText(const XMLCh* chars, size_t length, bool attribute) {
    size_t run = 0; // characters written as they are, pending
    for (size_t i = 0; i < length; ++i) {
        const char* escape = nullptr;
        switch (chars[i]) {
        case u'&':
            escape = "&amp;";
            break;
        case u'<':
            escape = "&lt;";
            break;
        case u'>':
            escape = attribute ? nullptr : "&gt;";
            break;
        case u'"':
            escape = attribute ? "&quot;" : nullptr;
            break;
        case u'\t':
            escape = attribute ? "&#x9;" : nullptr;
            break;
        case u'\n':
            escape = attribute ? "&#xA;" : nullptr;
            break;
        case u'\r':
            escape = "&#xD;";
            break;
        default:
            break;
        }
        if (escape != nullptr) {
            writeUtf8(chars + i - run, run);
            run = 0;
            for (const char* e = escape; *e != 0; ++e) {
                put(*e);
            }
        } else {
            ++run;
        }
    }
    writeUtf8(chars + length - run, run);
}

void StreamCanonicalizer::startPrefixMapping(const XMLCh* const prefix, const XMLCh* const uri) {
    pending_.emplace_back(toUtf8(prefix == nullptr ? u"" : prefix),
                          toUtf8(uri == nullptr ? u"" : uri));
}

void StreamCanonicalizer::startElement(const XMLCh* const uri, const XMLCh* const localname,
                                       const XMLCh* const qname,
                                       const xercesc::Attributes& attributes) {
    if (skipping()) {
        ++excludedDepth_;
        pending_.clear();
        return;
    }
    if (equals(localname, u"Signature") && toUtf8(uri) == dsig::kNamespace) {
        excludedDepth_ = 1;
        pending_.clear();
        return;
    }
    position_ = Position::InRoot;
    ++depth_;

    // The element's own frame is made only when it declares or renders something; otherwise
    // it shares its parent's.
    static const Frame kEmpty;
    const Frame& parent = frames_.empty() ? kEmpty : frames_.back();
    Bindings inScope;
    if (!pending_.empty()) {
        inScope = parent.inScope;
        for (const auto& [prefix, value] : pending_) {
            inScope[prefix] = value;
        }
    }
    const Bindings& scope = pending_.empty() ? parent.inScope : inScope;
    auto boundIn = [](const Bindings& bindings, const std::string& prefix) -> const std::string* {
        auto it = bindings.find(prefix);
        return it == bindings.end() ? nullptr : &it->second;
    };

    // The namespace declarations to write, by prefix ("" for the default namespace).
    std::vector<std::pair<std::string, std::string>> render;
    if (!method_.exclusive) {
        for (const auto& [prefix, value] : pending_) {
            const std::string* before = boundIn(parent.inScope, prefix);
            std::string previous = before == nullptr ? std::string() : *before;
            if (value != previous && !(prefix.empty() && value.empty() && before == nullptr)) {
                render.emplace_back(prefix, value);
            }
        }
    } else {
        std::vector<std::string> used;
        std::u16string_view own = prefixOf(qname);
        used.emplace_back(toUtf8(own.data(), own.size()));
        for (XMLSize_t i = 0; i < attributes.getLength(); ++i) {
            std::u16string_view prefix = prefixOf(attributes.getQName(i));
            if (!prefix.empty()) {
                used.emplace_back(toUtf8(prefix.data(), prefix.size()));
            }
        }
        // Listed prefixes are rendered as the inclusive form renders them; the others when
        // visibly used and not rendered with the same value by an output ancestor.
        auto renderListed = [&](const std::string& prefix) {
            const std::string* value = boundIn(scope, prefix);
            const std::string* before = boundIn(parent.inScope, prefix);
            if (prefix == kXmlPrefix || value == nullptr ||
                (before != nullptr && *before == *value) ||
                (prefix.empty() && value->empty() && before == nullptr)) {
                return;
            }
            render.emplace_back(prefix, *value);
        };
        auto renderUsed = [&](const std::string& prefix) {
            const std::string* value = boundIn(scope, prefix);
            std::string bound = value == nullptr ? std::string() : *value;
            const std::string* shown = boundIn(parent.rendered, prefix);
            if (prefix == kXmlPrefix || (shown != nullptr ? *shown == bound : bound.empty())) {
                return;
            }
            render.emplace_back(prefix, bound);
        };
        for (const std::string& prefix : inclusivePrefixes_) {
            renderListed(prefix);
        }
        for (const std::string& prefix : used) {
            if (std::find(inclusivePrefixes_.begin(), inclusivePrefixes_.end(), prefix) ==
                inclusivePrefixes_.end()) {
                renderUsed(prefix);
            }
        }
    }
    if (!pending_.empty() || (method_.exclusive && !render.empty())) {
        Frame frame;
        frame.inScope = pending_.empty() ? parent.inScope : std::move(inScope);
        frame.rendered = parent.rendered;
        for (const auto& [prefix, value] : render) {
            frame.rendered[prefix] = value;
        }
        frame.depth = depth_;
        frames_.push_back(std::move(frame));
    }
    pending_.clear();
    std::sort(render.begin(), render.end());
    render.erase(std::unique(render.begin(), render.end()), render.end());

    put('<');
    writeUtf8(qname);
    for (const auto& [prefix, value] : render) {
        put(prefix.empty() ? " xmlns=\"" : " xmlns:");
        if (!prefix.empty()) {
            put(prefix);
            put("=\"");
        }
        for (char c : value) {
            switch (c) {
            case '&':
                put("&amp;");
                break;
            case '<':
                put("&lt;");
                break;
            case '"':
                put("&quot;");
                break;
            case '\t':
                put("&#x9;");
                break;
            case '\n':
                put("&#xA;");
                break;
            case '\r':
                put("&#xD;");
                break;
            default:
                put(c);
            }
        }
        put('"');
    }
    std::vector<XMLSize_t> order(attributes.getLength());
    for (XMLSize_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](XMLSize_t a, XMLSize_t b) {
        int byUri = compareByCodePoint(attributes.getURI(a), attributes.getURI(b));
        if (byUri != 0) {
            return byUri < 0;
        }
        return compareByCodePoint(attributes.getLocalName(a), attributes.getLocalName(b)) < 0;
    });
    for (XMLSize_t i : order) {
        put(' ');
        writeUtf8(attributes.getQName(i));
        put("=\"");
        const XMLCh* value = attributes.getValue(i);
        writeText(value, xercesc::XMLString::stringLen(value), true);
        put('"');
    }
    put('>');
}

void StreamCanonicalizer::endElement(const XMLCh* const, const XMLCh* const,
                                     const XMLCh* const qname) {
    if (skipping()) {
        --excludedDepth_;
        return;
    }
    put("</");
    writeUtf8(qname);
    put('>');
    if (!frames_.empty() && frames_.back().depth == depth_) {
        frames_.pop_back();
    }
    if (--depth_ == 0) {
        position_ = Position::AfterRoot;
    }
}

void StreamCanonicalizer::characters(const XMLCh* const chars, const XMLSize_t length) {
    if (!skipping() && position_ == Position::InRoot) {
        writeText(chars, length, false);
    }
}

void StreamCanonicalizer::ignorableWhitespace(const XMLCh* const chars, const XMLSize_t length) {
    characters(chars, length);
}

void StreamCanonicalizer::processingInstruction(const XMLCh* const target,
                                                const XMLCh* const data) {
    if (skipping()) {
        return;
    }
    if (position_ == Position::AfterRoot) {
        put('\n');
    }
    put("<?");
    writeUtf8(target);
    if (data != nullptr && *data != 0) {
        put(' ');
        writeUtf8(data);
    }
    put("?>");
    if (position_ == Position::BeforeRoot) {
        put('\n');
    }
}

void StreamCanonicalizer::comment(const XMLCh* const chars, const XMLSize_t length) {
    if (skipping() || !method_.comments) {
        return;
    }
    if (position_ == Position::AfterRoot) {
        put('\n');
    }
    put("<!--");
    writeUtf8(chars, length);
    put("-->");
    if (position_ == Position::BeforeRoot) {
        put('\n');
    }
}

} // namespace platform::xml
