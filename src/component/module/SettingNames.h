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

} // namespace component::module
