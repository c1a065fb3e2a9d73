#include "component/verification/XmlRecipientLookup.h"

#include <algorithm>
#include <string>
#include <utility>

#include "component/signing/CQNQuillionUtility.h"
#include "platform/stores/FolderStore.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "stream/HexBin.h"
#include "stream/RawCodecs.h"
#include "stream/StringUtil.h"
#include "stream/exceptions/StreamException.h"

namespace component::verification {

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

constexpr int32_t kLookupFailure = 1;

constexpr std::string_view kBlanks = " \t\r\n";

std::string trimmed(std::string_view text) {
    return stream::StringUtil::trim(text, kBlanks);
}

// The attribute/value pairs of a name text, sorted.
Pairs pairsOf(std::string_view text) {
    Pairs pairs;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string_view piece = text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        size_t equals = piece.find('=');
        std::string name = trimmed(piece.substr(0, equals));
        std::string value =
            equals == std::string_view::npos ? std::string() : trimmed(piece.substr(equals + 1));
        if (!name.empty() || !value.empty()) {
            pairs.emplace_back(stream::StringUtil::toUpperCase(name), std::move(value));
        }
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

// Without the leading zero octets.
std::vector<unsigned char> significant(std::vector<unsigned char> bytes) {
    auto first = std::find_if(bytes.begin(), bytes.end(), [](unsigned char b) { return b != 0; });
    bytes.erase(bytes.begin(), first);
    return bytes;
}

std::string firstText(const xercesc::DOMElement& encrypted, const char* localName) {
    std::vector<const xercesc::DOMElement*> found =
        platform::xml::descendantElements(encrypted, platform::xml::dsig::kNamespace, localName);
    if (found.empty()) {
        throw stream::exceptions::StreamException(XmlRecipientLookup::kNoRecipientInfo,
                                                  kLookupFailure);
    }
    return platform::xml::textOf(*found.front());
}

std::vector<platform::crypt::CertificatePtr> myCertificates() {
    try {
        return platform::stores::FolderStore::open(platform::stores::StoreLocation::CurrentUser,
                                                   "MY", true)
            ->certificates();
    } catch (const stream::exceptions::StreamException&) {
        return {};
    }
}

} // namespace

bool XmlRecipientLookup::sameIssuer(std::string_view named, std::string_view rendered) {
    Pairs a = pairsOf(named);
    return !a.empty() && a == pairsOf(rendered);
}

bool XmlRecipientLookup::serialInDecimal(const std::vector<unsigned char>& serial,
                                         std::string_view text) {
    std::string wanted = trimmed(text);
    return !wanted.empty() && stream::bytesToDecimal(serial.data(), serial.size()) == wanted;
}

bool XmlRecipientLookup::serialInHex(const std::vector<unsigned char>& serial,
                                     std::string_view text) {
    std::string digits = trimmed(text);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        })) {
        return false;
    }
    if (digits.size() % 2 != 0) {
        digits.insert(digits.begin(), '0');
    }
    std::string bytes = stream::HexBin::decode(digits);
    return significant(std::vector<unsigned char>(bytes.begin(), bytes.end())) ==
           significant(serial);
}

XmlRecipient XmlRecipientLookup::find(const xercesc::DOMElement& encrypted) {
    std::string issuer = firstText(encrypted, "X509IssuerName");
    std::string serial = firstText(encrypted, "X509SerialNumber");

    // X509SerialNumber is decimal: a certificate whose serial reads so is taken before one
    // whose serial happens to have the same digits in hexadecimal.
    platform::crypt::CertificatePtr inDecimal;
    platform::crypt::CertificatePtr inHex;
    for (const platform::crypt::CertificatePtr& certificate : myCertificates()) {
        if (!sameIssuer(issuer, certificate->issuerName())) {
            continue;
        }
        std::vector<unsigned char> bytes = certificate->serialBytes();
        if (serialInDecimal(bytes, serial)) {
            inDecimal = certificate;
            break;
        }
        if (!inHex && serialInHex(bytes, serial)) {
            inHex = certificate;
        }
    }
    XmlRecipient recipient;
    recipient.certificate = inDecimal ? inDecimal : inHex;
    if (!recipient.certificate) {
        throw stream::exceptions::StreamException(kNoRecipient, kLookupFailure);
    }
    recipient.provider = signing::CQNQuillionUtility::createContextFromCertificate(
        *recipient.certificate, recipient.keySpec);
    if (!recipient.provider) {
        throw stream::exceptions::StreamException(kNoRecipientKey, kLookupFailure);
    }
    return recipient;
}

} // namespace component::verification
