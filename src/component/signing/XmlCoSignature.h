#pragma once

#include <string>
#include <string_view>

#include "component/certificates/CQNCertificate_Internal.h"
#include "stream/ByteBuffer.h"

namespace component::signing {

// One more signature for an XML document that is already signed (cosign of the XML signer).
// Both roads steer the co-signature step through the settings table and leave what they
// wrote there; a failed call puts those settings back as they were.
//
// - Plain ("Xades" not "TRUE"): ReferencesCount = "1", so the co-signature signs
//   ElementToSign as set.
// - XAdES: the URIs of the references of the document's first signature are kept, except
//   those that point at an element inside a signature (its signed properties, its objects);
//   they are written to ElementToSign, ElementToSign1, ... with ReferencesCount and
//   EnvelopeType = "ENVELOPED", and the document (in XMLEncoding, or its declared encoding)
//   is co-signed. A first signature with nothing left to sign (or no signature at all) raises
//   StreamException QN_E_OPERATION: the co-signature would sign no data.
//
// The co-signature step: EnvelopeType "DETACHEDINTERNA" counts as "ENVELOPED" and clears
// detached; "ENVELOPING" raises StreamException QN_E_OPERATION
// "Tipo de \"envelope\" inválido para añadir una firma. Solo soportado \"Enveloped\"", any
// other value but "ENVELOPED" "Tipo de \"envelope\" inválido.", and a detached co-signature
// kDetachedRefused. The new signature (Id by the Id rule) goes last under the element
// ParentElement selects (the document element when empty), with one SHA-1 reference per URI
// (the enveloped-signature and signature-dropping XPath transforms when the signature lies
// inside what the URI selects, then C14N when the URI points at XML), the signing-time object
// and its reference when the flag is set without XAdES, and the XAdES properties with XAdES.
// The output keeps the document's declared encoding.
class XmlCoSignature {
public:
    static stream::ByteBuffer cosign(std::string_view signedContent,
                                     const certificates::CQNCertificate_Internal& certificate,
                                     bool detached, bool signingTime);

    static constexpr char kDetachedRefused[] =
        "No se puede añadir una firma detached a un documento firmado. Solo soportado "
        "\"Enveloped\"";
    static constexpr char kNothingToCosign[] =
        "La primera firma del documento no tiene referencias que cofirmar";

private:
    static stream::ByteBuffer addSignature(std::string_view content,
                                           const certificates::CQNCertificate_Internal& certificate,
                                           bool detached, bool signingTime);
};

} // namespace component::signing
