#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "stream/LogOutputHolder.h"

namespace stream {

// The process-wide log. Targets by path: beginning with "C:\CON" or "CON" -> standard output
// (lines end in "\n"); containing "SOCKET://" -> TCP "SOCKET://host:port" (each line + "\r\n"
// preceded by its length as 4-byte little-endian); anything else -> file (created 0600, never
// through a symbolic link, lines end in "\r\n", written through a 64 KiB buffer).
// Lines: "MM/DD/YY HH:MM:SS TAG message" in local time. Thread-safe.
// Header: "#Software: <module file name> v<version>" (the version is empty when the module
// file has no version note), "#Date: ...", "#OS: ...", "#IE:  ;Version " (no browser here).
// Opening again closes the current target first (without a footer) and opens the new one.
class Log {
public:
    static Log& instance();

    // Records the mask, selects and opens the target for path (new file), writes the header.
    // Raises LogException for a malformed socket path, SocketStreamException for an
    // unreachable socket host; a file that cannot be created makes later writes no-ops.
    void open(const std::string& path, const std::string& modulePath, uint32_t mask);
    // Same, with mode 1 = new file (truncate), 0 = append.
    void open(const std::string& path, const std::string& modulePath, uint32_t mask, int mode);
    // Writes one line when (level & mask) != 0.
    void log(uint32_t level, std::string_view message);
    // message + "->" + the system message of code.
    void logWin32(uint32_t level, std::string_view message, uint32_t code);
    // Writes the footer "#End-Date: ..." and closes the target (once).
    void close();
    // Pushes buffered lines to the target.
    void flush();

    // Caps what one process writes to the log (bytes, lines with their line ends; 0 = no
    // limit). When the next line would pass it, one WARNING line says so and nothing more is
    // written until the log is opened again.
    void setSizeLimit(uint64_t bytes);
    static constexpr uint64_t kDefaultSizeLimit = 100ull * 1024 * 1024;
    uint32_t mask() const noexcept;
    void setMask(uint32_t mask) noexcept;
    bool enabled(uint32_t level) const noexcept { return (level & mask()) != 0; }
    bool isOpen() const;
    // The longest message the target keeps of a line (a file cuts its lines; the console
    // and a socket do not): a caller writing a very long text need not make more of it.
    size_t lineLimit() const;

    Log();
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

private:
    LogOutputHolder holder_;
    std::atomic<uint32_t> mask_{0};
};

} // namespace stream
