#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::http {

// What a web page may make the component read when it runs under the browser bridge
// (QUILLION_BRIDGE_ORIGIN names the page's origin; qnbridge sets it before it loads the
// module and the page cannot change it). A file or URL that comes from what the page gave
// (settings, arguments, signature contents) may then be used only when it is a same-document
// reference ("" or "#id") or an http(s) URL of exactly the page's origin: same scheme, host
// and port (default ports included), without user information. Local paths, "file:" URIs,
// relative references and other origins are refused. Outside the bridge everything is
// allowed. The component's own files (stores, registry, properties, log, temporary files) are
// not subject to it.
class PageAccess {
public:
    // The code a refusal carries (E_ACCESSDENIED).
    static constexpr int32_t kAccessDenied = static_cast<int32_t>(0x80070005u);

    // The origin of the page the process serves; nullopt outside the bridge.
    static std::optional<std::string> pageOrigin();

    // Whether a page of `origin` may make the component read `location`.
    static bool allows(std::string_view origin, std::string_view location);

    // The text of a refusal.
    static std::string refusal(std::string_view origin, std::string_view location);

    // Raises stream::exceptions::StreamException kAccessDenied with the refusal when the page
    // may not make the component read `location`; does nothing otherwise.
    static void require(std::string_view location);
};

} // namespace platform::http
