#include "component/signing/XmlSignSettings.h"

#include "component/module/ErrorCodes.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsTable.h"
#include "stream/StringUtil.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

XmlSignSettings XmlSignSettings::read() {
    const module::SettingsTable& table = module::SettingsTable::instance();
    XmlSignSettings s;
    s.envelopeType = stream::StringUtil::toUpperCase(table.get(module::kEnvelopeType));
    s.elementToSign = table.get(module::kElementToSign);
    s.parentElement = table.get(module::kParentElement);
    s.prefix = table.get(module::kXMLSigNameSpaceID);
    s.encoding = table.get(module::kXMLEncoding);
    s.hashAlgorithm = table.get(module::kHashAlgorithm);
    s.overrideUri = table.get(module::kOverrideUri);
    s.xades = table.get(module::kXades) == "TRUE";
    s.includeCertificate = table.get(module::kIncludeSigningCertificate) == "TRUE";
    s.signFromHash = table.get(module::kSignFromHash) == "TRUE";
    return s;
}

void checkCombination(const XmlSignSettings& settings, std::string_view content, bool detached) {
    const bool enveloped = settings.envelopeType == "ENVELOPED";
    const bool enveloping = settings.envelopeType == "ENVELOPING";
    const std::string& element = settings.elementToSign;
    std::string message;
    if (enveloped && element.empty() && detached) {
        message = "Se ha especificado realizar una firma de la URL: " + std::string(content) +
                  ", esto no es compatible con haber especificado que dicha firma sea enveloped, "
                  "una firma detached externa no puede ser nunca enveloped (no puedes incrustar "
                  "la firma en los datos xml porque no tienes datos xml, solo tienes una URL), la "
                  "firma no ha sido realizada";
    } else if ((enveloped || enveloping) && !element.empty() && detached) {
        message = "Se ha especificado realizar una firma del elemento con Id: " + element +
                  ", esto no es compatible con haber especificado una URL a firmar: " +
                  std::string(content) + ", la firma no ha sido realizada";
    } else if (enveloped && !element.empty() && settings.parentElement.empty()) {
        message = "No se ha especificado el elemento donde debe almacenarse la firma generada "
                  "(parámetro 'Parent' en el JavaScript), este parámetro es obligatorio siempre "
                  "que se desea realizar la firma de un nodo concreto especificando su Id";
    } else if (enveloping && !element.empty()) {
        message = "Se ha especificado realizar una firma del elemento de Id: " + element +
                  ", esto no es compatible con haber especificado que dicha firma sea "
                  "enveloping, ya que una firma enveloping debe envolver todo el xml, pero si un "
                  "nodo se firma y otros no estos que no se firman estarán fuera de la firma, es "
                  "decir, sería una firma enveloped respecto a los nodos no firmados y enveloping "
                  "respecto al nodo firmado, esta combinación no es pausible, la firma no ha sido "
                  "realizada";
    } else {
        return;
    }
    throw stream::exceptions::StreamException(message, module::QN_E_XMLDSIG);
}

void checkHashAlgorithm(const XmlSignSettings& settings) {
    if (settings.hashAlgorithm != "1.3.14.3.2.26") {
        throw stream::exceptions::StreamException(
            "El algoritmo de hash indicado no está disponible para XMLDig. Únicamente válido el "
            "RSA+SHA1.",
            module::QN_E_HASH_ALGORITHM);
    }
}

} // namespace component::signing
