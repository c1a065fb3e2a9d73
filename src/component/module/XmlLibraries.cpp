#include "component/module/XmlLibraries.h"

#include <atomic>
#include <mutex>

#include <xalanc/XPath/XPathEvaluator.hpp>
#include <xalanc/XalanTransformer/XalanTransformer.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xsec/enc/OpenSSL/OpenSSLCryptoProvider.hpp>
#include <xsec/framework/XSECException.hpp>
#include <xsec/utils/XSECPlatformUtils.hpp>

#include "component/module/ModuleLog.h"

namespace component::module {

namespace {
std::once_flag initialiseOnce;
std::atomic<bool> done{false};
} // namespace

void XmlLibraries::initialise() noexcept {
    std::call_once(initialiseOnce, [] {
        try {
            xercesc::XMLPlatformUtils::Initialize();
            xalanc::XPathEvaluator::initialize();
            xalanc::XalanTransformer::initialize();
            XSECPlatformUtils::Initialise();
            XSECPlatformUtils::SetCryptoProvider(new OpenSSLCryptoProvider());
            done = true;
        } catch (const xercesc::XMLException&) {
            logError("XMLException");
        } catch (const XSECException&) {
            logError("XMLException");
        } catch (...) {
            logError("Exception");
        }
    });
}

bool XmlLibraries::initialised() noexcept {
    return done;
}

} // namespace component::module
