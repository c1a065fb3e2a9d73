#pragma once

#include <string>

#include "stream/FileDescriptor.h"
#include "stream/LogOutput.h"

namespace stream {

// Log lines over TCP to "SOCKET://host:port": each line + "\r\n", preceded by its length as a
// 4-byte little-endian unsigned integer. Nothing is read back.
// open raises LogException "Invalid log socket format 1" when the path has fewer than two
// "/"-separated pieces, "Invalid log socket format 2" when the second piece is not exactly
// "host:port" (or the port is not a number from 1 to 65535), and SocketStreamException when
// the host cannot be resolved or reached (connection attempts give up after 10 seconds).
// A send that fails or stalls for more than 5 seconds drops the line.
class SocketLogOutput : public LogOutput {
public:
    struct Endpoint {
        std::string host;
        int port;
    };

    // Parses the path as open does; raises LogException.
    static Endpoint parsePath(const std::string& path);

    ~SocketLogOutput() override;
    void write(std::string_view line) override;
    void open(const std::string& path, int mode) override;
    void close() override;

private:
    FileDescriptor socket_;
};

} // namespace stream
