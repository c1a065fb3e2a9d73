#pragma once

namespace component::module {

// Names of the properties file entries and settings the component reads or writes.

// Read from the properties file at load only.
inline constexpr char kLogPath[] = "LogPath";
inline constexpr char kLogLevel[] = "LogLevel";
// The most the log of one process may grow to, in bytes (K, M, G suffixes; 0 = no limit).
inline constexpr char kLogMaxSize[] = "LogMaxSize";

// "TRUE": the content is already the digest. The XML verifier then checks the supplied digest
// (the detached content, in Base64) against the last reference instead of computing the
// references.
inline constexpr char kSignFromHash[] = "SignFromHash";
// Written by the XML verifier: the first SignedProperties element of the last XAdES document
// it checked, as text.
inline constexpr char kXadesSignedContent[] = "XadesSignedContent";

} // namespace component::module
