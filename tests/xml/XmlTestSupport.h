#pragma once

#include <string>
#include <string_view>

#include "platform/xml/XercesHandles.h"

namespace xmltest {

// A document parsed with the signer's configuration (raising).
platform::xml::DocumentPtr parse(std::string_view text);
// The document as the DOM writer gives it, in UTF-8 (to see that it did not change).
std::string serialize(const xercesc::DOMDocument& document);

// A listening TCP socket on 127.0.0.1 with a free port, to see whether anything connects.
class LoopbackListener {
public:
    LoopbackListener();
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    int port() const { return port_; }
    // Whether a connection is waiting to be accepted (no waiting: everything that connected
    // during a finished parse is already queued).
    bool connected() const;

private:
    int socket_ = -1;
    int port_ = 0;
};

} // namespace xmltest
