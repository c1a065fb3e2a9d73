#pragma once

#include <string>

#include "component/signing/CQNSignData_Internal.h"
#include "component/signing/XmlSignSettings.h"

namespace component::signing {

// W3C XML Signatures with RSA-SHA1 over SHA-1 references (modes MT_XMLDSIG and MT_XADES):
// enveloped (the signature goes into the document), enveloping (the document goes into the
// signature) and detached (the content passed to sign is the URI of the data: a "file:///"
// URL, an HTTP or HTTPS URL, or "#" + Id), with optional XAdES properties. Settings read at
// call time: see XmlSignSettings, SignFromHashReference and XadesProperties.
class CQNSignData_Internal_XMLDSig : public CQNSignData_Internal {
public:
    stream::ByteBuffer sign(const unsigned char* content, size_t size,
                            const certificates::CQNCertificate_Internal& certificate,
                            bool detached) override;
    // One more signature for a signed document: see XmlCoSignature. With "Xades", sign()
    // counter-signs the signatures a document already holds: see XmlCounterSignature.
    stream::ByteBuffer cosign(const unsigned char* signedContent, size_t signedSize,
                              const unsigned char* detachedContent, size_t detachedSize,
                              const certificates::CQNCertificate_Internal& certificate,
                              bool detached) override;

private:
    // One signature of the content (the document, or the URI of detached data).
    stream::ByteBuffer signOne(const std::string& content,
                               const certificates::CQNCertificate_Internal& certificate,
                               bool detached, const XmlSignSettings& settings);
};

} // namespace component::signing
