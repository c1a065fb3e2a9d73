#include "platform/xml/XmlLibraries.h"

#include <atomic>
#include <mutex>

#include <xalanc/XPath/XPathEvaluator.hpp>
#include <xalanc/XalanTransformer/XalanTransformer.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xsec/enc/OpenSSL/OpenSSLCryptoProvider.hpp>
#include <xsec/framework/XSECException.hpp>
#include <xsec/utils/XSECPlatformUtils.hpp>

#include "platform/xml/XmlFailure.h"

namespace platform::xml {

namespace {
std::once_flag startOnce;
std::atomic<XmlLibraries::Outcome> outcome{XmlLibraries::Outcome::OtherFailure};
std::atomic<bool> started{false};
} // namespace

XmlLibraries::Outcome XmlLibraries::initialise() noexcept {
    std::call_once(startOnce, [] {
        try {
            xercesc::XMLPlatformUtils::Initialize();
            xalanc::XPathEvaluator::initialize();
            xalanc::XalanTransformer::initialize();
            XSECPlatformUtils::Initialise();
            // XSECPlatformUtils takes ownership of the provider.
            XSECPlatformUtils::SetCryptoProvider(new OpenSSLCryptoProvider());
            outcome = Outcome::Started;
            started = true;
        } catch (const xercesc::XMLException&) {
            outcome = Outcome::XmlLibraryFailure;
        } catch (const XSECException&) {
            outcome = Outcome::XmlLibraryFailure;
        } catch (...) {
            outcome = Outcome::OtherFailure;
        }
    });
    return outcome;
}

bool XmlLibraries::initialised() noexcept {
    return started;
}

void XmlLibraries::require() {
    if (initialise() != Outcome::Started) {
        raiseXmlFailure("The XML libraries could not be started");
    }
}

} // namespace platform::xml
