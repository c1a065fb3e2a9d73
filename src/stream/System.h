#pragma once

#include <cstdint>
#include <string>

namespace stream {

// Facts about the running system, and the thread's last platform error.
class System {
public:
    // $TMPDIR when set and non-empty, else "/tmp"; always ending in "/".
    static std::string tempPath();
    // "a.b.c.d" from the version note embedded with QUILLION_FILE_VERSION_NOTE (see
    // stream/FileVersionNote.h) in an ELF file. Raises Win32ErrorException: code 2 when the
    // file is missing, 1813 (ERROR_RESOURCE_TYPE_NOT_FOUND) when it is not an ELF file, has no
    // note or cannot be read.
    static std::string fileVersion(const std::string& path);
    // e.g. "Debian GNU/Linux 12 (bookworm) (Linux 6.1.0-18-amd64 x86_64)"; empty when uname
    // fails. Never raises.
    static std::string osDescription();
    // There is no browser facility on this platform: both return "".
    static std::string browserUserAgent();
    static std::string browserVersion();
    // Splits "ROOT\subkey\value" and checks the root (HKCR, HKEY_CLASSES_ROOT, HKCU, ...).
    // There is no system registry on this platform: an unknown root raises
    // Win32ErrorException with code 6 (ERROR_INVALID_HANDLE), any key of a known root code 2
    // (ERROR_FILE_NOT_FOUND).
    static std::string registryValue(const std::string& fullPath);

    // The thread's last platform error, set by the platform layers before they raise
    // Win32ErrorException or CryptException.
    static uint32_t lastError() noexcept;
    static void setLastError(uint32_t code) noexcept;
};

} // namespace stream
