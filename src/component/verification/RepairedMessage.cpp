#include "component/verification/RepairedMessage.h"

#include "platform/crypt/DerReader.h"
#include "platform/crypt/DerWriter.h"
#include "platform/crypt/NameString.h"

namespace component::verification {

namespace {

using platform::crypt::Bytes;
using platform::crypt::DerElement;
using platform::crypt::DerReader;

constexpr uint8_t kTeletexString = 0x14;

// The element re-encoded with target replaced; false when target is not inside it.
bool rebuild(const unsigned char* base, const DerElement& element, size_t offset, size_t oldLength,
             const Bytes& replacement, Bytes& out) {
    if (element.offset == offset && element.totalLength() == oldLength) {
        out.insert(out.end(), replacement.begin(), replacement.end());
        return true;
    }
    if (!element.constructed() || offset < element.offset + element.headerLength ||
        offset + oldLength > element.end()) {
        return false;
    }
    DerReader children(element.value, element.length, base);
    Bytes value;
    bool found = false;
    while (!children.atEnd()) {
        DerElement child = children.next();
        if (!found && offset >= child.offset && offset + oldLength <= child.end()) {
            if (!rebuild(base, child, offset, oldLength, replacement, value)) {
                return false;
            }
            found = true;
        } else {
            const unsigned char* start = child.begin(base);
            value.insert(value.end(), start, start + child.totalLength());
        }
    }
    if (!found) {
        return false;
    }
    Bytes encoded = platform::crypt::der::tlv(element.tag, value);
    out.insert(out.end(), encoded.begin(), encoded.end());
    return true;
}

} // namespace

std::optional<std::vector<unsigned char>>
RepairedMessage::reencodeIssuer(const platform::crypt::ByteView& issuer) {
    namespace ns = platform::crypt::name_str;
    try {
        std::string text = platform::crypt::nameToString(issuer.bytes(), ns::OID);
        return platform::crypt::stringToName(text, ns::OID | ns::ENABLE_T61_UNICODE_FLAG);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool RepairedMessage::hasTeletexAttribute(const std::vector<unsigned char>& nameDer) {
    try {
        DerReader top(nameDer.data(), nameDer.size());
        DerReader rdns = top.inside(top.expect(0x30));
        while (!rdns.atEnd()) {
            DerReader attributes = rdns.inside(rdns.expect(0x31));
            while (!attributes.atEnd()) {
                DerReader parts = attributes.inside(attributes.expect(0x30));
                parts.expect(0x06);
                if (parts.peekTag() == kTeletexString) {
                    return true;
                }
            }
        }
    } catch (const std::exception&) {
    }
    return false;
}

std::optional<std::vector<unsigned char>>
RepairedMessage::replaceElement(const unsigned char* message, size_t size, size_t offset,
                                size_t oldLength, const std::vector<unsigned char>& replacement) {
    try {
        DerReader top(message, size);
        DerElement root = top.next();
        Bytes out;
        if (!rebuild(message, root, offset, oldLength, replacement, out)) {
            return std::nullopt;
        }
        // Whatever follows the message (padding) is kept as it was.
        out.insert(out.end(), message + root.end(), message + size);
        return out;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace component::verification
