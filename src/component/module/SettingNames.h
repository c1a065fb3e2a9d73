#pragma once

namespace component::module {

// Names of the properties file entries and settings the component reads or writes.

// Read from the properties file at load only.
inline constexpr char kLogPath[] = "LogPath";
inline constexpr char kLogLevel[] = "LogLevel";
// The most the log of one process may grow to, in bytes (K, M, G suffixes; 0 = no limit).
inline constexpr char kLogMaxSize[] = "LogMaxSize";

// Envelopes.
// The content-encryption algorithm: a dotted identifier; for XML Encryption also "AES-128" or
// "AES-256". The name is spelt with three m.
inline constexpr char kSymmmetricCryptAlgorithm[] = "SymmmetricCryptAlgorithm";
// "TRUE": the next PKCS#7 envelope is an XML Encryption document instead (reset every time).
inline constexpr char kXMLEncryption[] = "XMLEncryption";
// "TRUE": XML Encryption encrypts the element's content only (reset after each read).
inline constexpr char kXMLEncDoContentOnly[] = "XMLEncDoContentOnly";
// The identifier attribute value of the element to encrypt; empty or "/" for the document
// element (reset after each read).
inline constexpr char kElementToCypher[] = "ElementToCypher";

// The signers.
inline constexpr char kHashAlgorithm[] = "HashAlgorithm"; // dotted digest identifier
// "TRUE": the content is already the digest. The XML verifier then checks the supplied digest
// (the detached content, in Base64) against the last reference instead of computing the
// references.
inline constexpr char kSignFromHash[] = "SignFromHash";

// The XML-DSig signer: placement and output.
inline constexpr char kEnvelopeType[] = "EnvelopeType"; // ENVELOPED, ENVELOPING, DETACHEDINTERNA
inline constexpr char kElementToSign[] = "ElementToSign";
inline constexpr char kParentElement[] = "ParentElement";
inline constexpr char kXMLSigNameSpaceID[] = "XMLSigNameSpaceID";
inline constexpr char kXMLEncoding[] = "XMLEncoding";
inline constexpr char kXades[] = "Xades";
inline constexpr char kIncludeSigningCertificate[] = "IncludeSigningCertificate";
inline constexpr char kOverrideUri[] = "OverrideUri";
// Written by the co-signing of XML signatures: how many references the co-signature has, and
// their URIs in ElementToSign, ElementToSign1, ElementToSign2, ...
inline constexpr char kReferencesCount[] = "ReferencesCount";
// The reference SignFromHash adds; the transform names and parameters are numbered from 0
// (TransformsNames0, TransformsParams0, ...).
inline constexpr char kURIReference[] = "URIReference";
inline constexpr char kHashData[] = "HashData";
inline constexpr char kIdReference[] = "IdReference";
inline constexpr char kNumberTransforms[] = "NumberTransforms";
inline constexpr char kTransformsNames[] = "TransformsNames";
inline constexpr char kTransformsParams[] = "TransformsParams";

// The XAdES signed properties.
inline constexpr char kSigningTime[] = "SigningTime";
inline constexpr char kSignaturePolicyId[] = "SignaturePolicyId";
inline constexpr char kSignerRole[] = "SignerRole";
inline constexpr char kXadesDataObjectFormat[] = "XadesDataObjectFormat";

// Written by the XML verifier: the first SignedProperties element of the last XAdES document
// it checked, as text.
inline constexpr char kXadesSignedContent[] = "XadesSignedContent";

} // namespace component::module
