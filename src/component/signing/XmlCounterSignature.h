#pragma once

#include <functional>
#include <string>

#include "component/signing/XmlSignSettings.h"
#include "stream/ByteBuffer.h"

namespace component::signing {

// XAdES counter-signing: sign() with "Xades" on a document that already holds signatures
// gives every leaf signature (see findLeafSignatures) a counter-signature over its signature
// value, in document order. For a leaf with Id S, the counter-signature is one more XAdES
// signature made by the signer's single-signature step with these settings, which stay in the
// table afterwards:
//
//   ParentElement = ((//ds:Signature)[@Id="S"]/ds:Object/xades:QualifyingProperties/
//                   xades:UnsignedProperties/xades:UnsignedSignatureProperties/
//                   xades:CounterSignature)            (one line)
//   ElementToSign = "#S-SignatureValue1"
//   EnvelopeType  = "ENVELOPED"
//
// The CounterSignature element (XAdES namespace of the process-wide version, prefix
// XMLSigNameSpaceID or "xades") is created under the leaf's UnsignedSignatureProperties where
// it is missing. Before anything is written every leaf is checked: a leaf without Id, whose
// SignatureValue does not carry the Id S-SignatureValue1, without UnsignedSignatureProperties,
// or whose CounterSignature the expression above would not select, raises StreamException
// QN_E_OPERATION naming the signature. A failed call leaves the settings as they were.
class XmlCounterSignature {
public:
    // One signature of a document (text) with the settings given: the signer's signOne.
    using SignOne = std::function<stream::ByteBuffer(const std::string& content,
                                                     const XmlSignSettings& settings)>;

    // The counter-signed document; a document without signatures gets one XAdES signature of
    // its own through signOne.
    static stream::ByteBuffer sign(const std::string& content, const XmlSignSettings& settings,
                                   const SignOne& signOne);

    // The ParentElement of the counter-signature of the signature with that Id.
    static std::string parentExpression(const std::string& signatureId);
};

} // namespace component::signing
