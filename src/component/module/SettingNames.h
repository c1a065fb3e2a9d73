#pragma once

namespace component::module {

// Names of the properties file entries and settings the component reads or writes.

// Read from the properties file at load only.
inline constexpr char kLogPath[] = "LogPath";
inline constexpr char kLogLevel[] = "LogLevel";
// The most the log of one process may grow to, in bytes (K, M, G suffixes; 0 = no limit).
inline constexpr char kLogMaxSize[] = "LogMaxSize";

} // namespace component::module
