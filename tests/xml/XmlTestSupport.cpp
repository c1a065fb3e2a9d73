#include "XmlTestSupport.h"

#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlSerializer.h"

namespace xmltest {

platform::xml::DocumentPtr parse(std::string_view text) {
    return platform::xml::XmlParser::parseOrRaise(text, platform::xml::kSignerInput);
}

std::string serialize(const xercesc::DOMDocument& document) {
    return platform::xml::XmlSerializer::serialize(document, "UTF-8");
}

LoopbackListener::LoopbackListener() {
    socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0) {
        throw std::runtime_error("socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(socket_, 8) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(socket_);
        throw std::runtime_error("loopback listener");
    }
    port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
    ::close(socket_);
}

bool LoopbackListener::connected() const {
    pollfd waiting{socket_, POLLIN, 0};
    return ::poll(&waiting, 1, 0) > 0 && (waiting.revents & POLLIN) != 0;
}

} // namespace xmltest
