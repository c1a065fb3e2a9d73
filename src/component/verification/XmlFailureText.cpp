#include "component/verification/XmlFailureText.h"

#include <exception>

#include <xercesc/dom/DOMException.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xsec/enc/XSECCryptoException.hpp>
#include <xsec/framework/XSECException.hpp>

#include "platform/xml/XmlText.h"
#include "stream/exceptions/StreamException.h"

namespace component::verification {

std::string currentFailureText() {
    try {
        throw;
    } catch (const stream::exceptions::StreamException& e) {
        return e.message();
    } catch (const XSECException& e) {
        return platform::xml::toUtf8(e.getMsg());
    } catch (const XSECCryptoException& e) {
        return e.getMsg() != nullptr ? e.getMsg() : "";
    } catch (const xercesc::XMLException& e) {
        return platform::xml::toUtf8(e.getMessage());
    } catch (const xercesc::DOMException& e) {
        return platform::xml::toUtf8(e.getMessage());
    } catch (const xercesc::SAXParseException& e) {
        return platform::xml::toUtf8(e.getMessage());
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Error desconocido";
    }
}

} // namespace component::verification
