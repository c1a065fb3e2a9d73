// The native-messaging host's input: frames read from a descriptor, then each message decoded
// as a request and its values converted as a call would convert them. Nothing may crash,
// hang or leak; every failure is a BridgeError.

#include "bridge/BridgeError.h"
#include "bridge/JsonValue.h"
#include "bridge/MessageReader.h"
#include "bridge/ObjectTable.h"
#include "bridge/ReplyChunker.h"
#include "bridge/Request.h"
#include "bridge/Session.h"

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int fd = ::memfd_create("bridge-fuzz", MFD_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) {
            ::close(fd);
            return 0;
        }
        done += static_cast<std::size_t>(n);
    }
    ::lseek(fd, 0, SEEK_SET);
    bridge::MessageReader reader(fd);
    bridge::ObjectTable objects;
    for (int frames = 0; frames < 64; ++frames) {
        bridge::MessageReader::Frame frame = reader.next();
        if (frame.status != bridge::MessageReader::Status::Message) {
            break;
        }
        std::int64_t id = 0;
        try {
            bridge::Request request = bridge::Request::decode(frame.text, id);
            for (const auto& arg : request.args) {
                com::Variant v = bridge::JsonValue::toVariant(arg, false, objects);
                bridge::JsonValue::fromVariant(*v.get(), false, objects);
            }
            if (request.op == bridge::Operation::Put) {
                com::Variant v = bridge::JsonValue::toVariant(request.value, true, objects);
                bridge::JsonValue::fromVariant(*v.get(), true, objects);
            }
        } catch (const bridge::BridgeError& e) {
            std::string reply = bridge::Session::errorReply(id, e.number(), e.what());
            bridge::ReplyChunker::split(id, reply + reply, 256);
        }
    }
    ::close(fd);
    return 0;
}
