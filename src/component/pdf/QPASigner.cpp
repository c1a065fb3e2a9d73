#include "component/pdf/QPASigner.h"

#include "com/Activation.h"
#include "com/BStr.h"
#include "com/DispatchImpl.h"
#include "com/ErrorInfo.h"
#include "component/certificates/IQNCertificate.h"
#include "component/content/CQNCryptoSystem.h"
#include "component/content/IQNCryptoSystem.h"
#include "component/module/ComponentError.h"
#include "component/module/ErrorCodes.h"
#include "component/module/ErrorReport.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingsTable.h"
#include "component/pdf/DocumentText.h"
#include "component/pdf/DocumentTransfer.h"
#include "component/pdf/SignatureValue.h"
#include "component/signing/IQNSignData.h"
#include "platform/picture/CPicture.h"
#include "stream/HexBin.h"
#include "stream/StringUtil.h"

#include <exception>
#include <string>

namespace component::pdf {

namespace {

using module::ComponentError;
using module::ErrorReport;
using module::kQPASigner;

constexpr com::DispatchMember kMembers[] = {
    com::method<&IQPASigner::GetMaxSign>("GetMaxSign", 1),
    com::method<&IQPASigner::getSign>("getSign", 2),
    com::method<&IQPASigner::getSignedData>("getSignedData", 3),
    com::method<&IQPASigner::getStatus>("getStatus", 4),
    com::method<&IQPASigner::load>("load", 5),
    com::method<&IQPASigner::sign>("sign", 6),
};

constexpr com::DispatchTable kTable{IQPASigner::iid, "IQPASigner", kMembers,
                                    sizeof(kMembers) / sizeof(kMembers[0])};

constexpr char kPdfSignProgId[] = "Quillion2.PdfSign";
constexpr char kCryptoSystemProgId[] = "Quillion2.QNCryptoSystem";
constexpr char kContentProgId[] = "Quillion2.QNContent";

constexpr char kCannotCreate[] = "Error creando componente de ";
constexpr char kCreateError[] = "Error creando componente de Quillion.";
constexpr char kNotInitialized[] = "El objeto QPASigner no fue correctamente inicializado.";
constexpr char kNotLoaded[] = "Error cargando el pdf";
constexpr char kLoadFailed[] = "Error al cargar el pdf.";
constexpr char kNoFile[] = "Error: No se encuentra el archivo.";
constexpr char kProtected[] = "No se ha podido firmar el PDF por estar protegido o cifrado.";
constexpr char kCannotSign[] = "No se ha podido firmar el PDF.";
constexpr char kUnknownImage[] = "No se reconoce el formato de la imagen que se ha seleccionado";
constexpr char kCancelled[] = "El usuario ha cancelado la operacion";
constexpr char kWrongPassword[] = "Ha introducido una contraseña erronea";
constexpr char kInvalidSignature[] =
    "CQPASigner::getStatus(). Firma invalida, no se ha podido verificar.";
// The text of the PDF engine's encrypted-document error.
constexpr char kEncrypted[] = "PDF_ENCRYPTED";
// SHA-1, the digest of every signature this class makes.
constexpr char16_t kSha1[] = u"1.3.14.3.2.26";

// Logs the message at ERROR and reports it with the code.
[[noreturn]] void fail(const std::string& message, HRESULT code) {
    module::logError(message);
    throw ComponentError(message, code);
}

// Takes the calling thread's error information: its description, empty when there is none.
std::string takeErrorDescription() {
    com::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK || !info) {
        return {};
    }
    com::BStr text;
    if (FAILED(info->GetDescription(text.out()))) {
        return {};
    }
    return text.utf8();
}

// A failure of another object, reported as this class's own with the same text and code
// (the other object has logged it).
HRESULT forwarded(HRESULT hr) {
    std::string description = takeErrorDescription();
    return description.empty() ? hr : ErrorReport::report(kQPASigner, description, hr);
}

// A sibling created by ProgID through the COM runtime (the registry, or the classes of the
// modules loaded in this process), or null.
template <class Interface> com::ComPtr<Interface> createSibling(const char* progId) {
    com::ComPtr<Interface> object;
    CLSID clsid{};
    std::u16string name = com::utf8ToUtf16(progId);
    if (FAILED(CLSIDFromProgID(name.c_str(), &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, Interface::iid,
                                object.outVoid()))) {
        object.reset();
    }
    return object;
}

// The sibling, or the report of a creation failure after logLine (by default
// "Error creando componente de " + the ProgID).
template <class Interface>
com::ComPtr<Interface> sibling(const char* progId, const std::string& logLine = {}) {
    com::ComPtr<Interface> object = createSibling<Interface>(progId);
    if (!object) {
        module::logError(logLine.empty() ? kCannotCreate + std::string(progId) : logLine);
        throw ComponentError(kCreateError, module::QN_E_CREATE_COMPONENT);
    }
    return object;
}

template <class Interface> com::ComPtr<Interface> as(IUnknown* object) {
    com::ComPtr<Interface> result;
    if (object != nullptr) {
        object->QueryInterface(Interface::iid, result.outVoid());
    }
    return result;
}

IDispatch* handOut(com::ComPtr<content::IQNContent>& content) {
    return static_cast<IDispatch*>(content.detach());
}

// A failed load of the document into a PdfSign, as sign reports it.
[[noreturn]] void failLoad(HRESULT hr) {
    std::string reason = takeErrorDescription();
    if (reason == kEncrypted) {
        fail(kProtected, module::QN_E_PDF_PROTECTED);
    }
    fail(hr == E_OUTOFMEMORY ? kNotLoaded : kLoadFailed, module::QN_E_READ);
}

// A signing step that could not be done: the encrypted-document error keeps its meaning,
// anything else means the document could not be signed.
[[noreturn]] void failSigning(const std::string& reason) {
    fail(reason == kEncrypted ? kProtected : kCannotSign,
         reason == kEncrypted ? module::QN_E_PDF_PROTECTED : module::QN_E_PDF_SIGN);
}

void checkStep(HRESULT hr) {
    if (FAILED(hr)) {
        failSigning(takeErrorDescription());
    }
}

// The Base64 text of the picture to draw, empty without one; a picture that is there must be
// of a format the picture loader knows.
com::BStr pictureText(content::IQNContent* picture) {
    com::BStr text;
    if (picture == nullptr) {
        return text;
    }
    checkStep(picture->toBASE64(text.out()));
    if (text.empty()) {
        return text;
    }
    com::BStr bytes;
    checkStep(picture->get_contentData(bytes.out()));
    platform::CPicture loaded;
    if (!loaded.Load(reinterpret_cast<const unsigned char*>(bytes.get()), bytes.byteLength())) {
        fail(kUnknownImage, module::QN_E_FORMAT);
    }
    return text;
}

// The name drawn and written in the signature: nombre, or the signer's subject name from
// just after its first "CN=" (the whole name when it has none).
com::BStr signerName(BSTR nombre, IDispatch* certificate) {
    if (SysStringLen(nombre) > 0) {
        return com::BStr(com::bstrToUtf16(nombre));
    }
    com::ComPtr<certificates::IQNCertificate> cert = as<certificates::IQNCertificate>(certificate);
    com::BStr subject;
    if (!cert || FAILED(cert->getSubjectName(subject.out()))) {
        // The signer reports what is wrong with the certificate.
        SetErrorInfo(0, nullptr);
        return {};
    }
    std::u16string text = subject.utf16();
    size_t cn = text.find(u"CN=");
    return com::BStr(cn == std::u16string::npos ? text : text.substr(cn + 3));
}

struct Rectangle {
    LONG x1, y1, x2, y2;
};

// Zero coordinates take the default rectangle; on a page turned by more than 75 degrees the
// default rectangle (all four zero) is turned with it.
Rectangle signatureRectangle(LONG x1, LONG y1, LONG x2, LONG y2, LONG rotation) {
    const bool allDefault = x1 == 0 && y1 == 0 && x2 == 0 && y2 == 0;
    Rectangle r{x1 == 0 ? 200 : x1, y1 == 0 ? 100 : y1, x2 == 0 ? 475 : x2, y2 == 0 ? 175 : y2};
    if (allDefault && rotation > 75) {
        const Rectangle old = r;
        r.x2 = old.x2 + old.y1 - old.y2;
        r.x1 = old.x2;
        r.y2 = old.x2 + old.y1 - old.x1;
    }
    return r;
}

// The signer of the settings: CAdES (PAdES) when PDF_SIGNATURE_FORMAT says "MT_PADES", else
// PKCS#7; SHA-1; no signing time.
com::ComPtr<signing::IQNSignData> newSigner(content::IQNCryptoSystem& system, bool pades) {
    checkStep(system.setMode(pades ? content::MT_CAdES : content::MT_PKCS7));
    com::BStr name(u"HashAlgorithm");
    com::BStr value(kSha1);
    checkStep(system.setProperty(name.get(), value.get()));
    com::ComPtr<IDispatch> made;
    checkStep(system.newSignData(made.out()));
    com::ComPtr<signing::IQNSignData> signer = as<signing::IQNSignData>(made.get());
    if (!signer) {
        fail(kCannotSign, module::QN_E_PDF_SIGN);
    }
    checkStep(signer->put_timeStamp(0));
    return signer;
}

// A failure of the signer: cancellation and a wrong password keep their meaning, anything
// else is reported with the signer's text as a failure to sign the document.
[[noreturn]] void failSigner(HRESULT hr) {
    std::string description = takeErrorDescription();
    if (hr == module::QN_E_USER_CANCELLED) {
        fail(kCancelled, module::QN_E_USER_CANCELLED);
    }
    if (hr == module::QN_E_WRONG_PASSWORD) {
        fail(kWrongPassword, module::QN_E_WRONG_PASSWORD);
    }
    // A signer that said nothing (a content it cannot read) still leaves a reason.
    fail(description.empty() ? kCannotSign : description, module::QN_E_PDF_SIGN);
}

bool padesSelected() {
    return stream::StringUtil::toUpperCase(
               module::SettingsTable::instance().get("PDF_SIGNATURE_FORMAT")) == "MT_PADES";
}

// The encoded signature of signature index into content.
HRESULT signatureInto(IPdfSign& pdf, LONG index, content::IQNContent& content) {
    com::BStr hex;
    HRESULT hr = pdf.GetSignHex(index, hex.out());
    if (FAILED(hr)) {
        return hr;
    }
    com::BStr bytes = com::BStr::fromBytes(SignatureValue::fromHex(hex.bytes()));
    return content.put_contentData(bytes.get());
}

} // namespace

const com::DispatchTable& QPASigner::dispatchTable() {
    return kTable;
}

template <class Body> HRESULT QPASigner::guarded(const char* method, Body&& body) noexcept {
    return ErrorReport::guard(kQPASigner, "CQPASigner", method, std::forward<Body>(body));
}

IPdfSign& QPASigner::document() const {
    if (!document_) {
        fail(kNotInitialized, module::QN_E_QPASIGNER_NOT_INITIALIZED);
    }
    return *document_;
}

HRESULT QPASigner::GetMaxSign(LONG* count) {
    return guarded("GetMaxSign", [&]() -> HRESULT {
        module::logTrace("CQPASigner::GetMaxSign");
        if (count == nullptr) {
            return E_POINTER;
        }
        HRESULT hr = document().GetMaxSign(count);
        return FAILED(hr) ? forwarded(hr) : hr;
    });
}

template <class Fill>
HRESULT QPASigner::newContent(const char* method, IDispatch** result, const std::string& logLine,
                              Fill&& fill) {
    return guarded(method, [&]() -> HRESULT {
        module::logTrace(std::string("CQPASigner::") + method);
        if (result == nullptr) {
            return E_POINTER;
        }
        *result = nullptr;
        IPdfSign& pdf = document();
        com::ComPtr<content::IQNContent> made =
            sibling<content::IQNContent>(kContentProgId, logLine);
        HRESULT hr = fill(pdf, *made);
        if (FAILED(hr)) {
            return forwarded(hr);
        }
        *result = handOut(made);
        return S_OK;
    });
}

HRESULT QPASigner::getSign(LONG Index, IDispatch** signature) {
    return newContent("getSign", signature, {}, [&](IPdfSign& pdf, content::IQNContent& value) {
        return signatureInto(pdf, Index, value);
    });
}

HRESULT QPASigner::getSignedData(LONG Index, IDispatch** signedData) {
    return newContent("getSignedData", signedData,
                      "CQPASigner:getSignedData. Error creando componente de " +
                          std::string(kContentProgId),
                      [&](IPdfSign& pdf, content::IQNContent& data) {
                          return DocumentTransfer::bytesToSign(&pdf, Index, &data);
                      });
}

HRESULT QPASigner::getStatus(LONG Index, IDispatch** status) {
    return guarded("getStatus", [&]() -> HRESULT {
        module::logTrace("CQPASigner::getStatus");
        if (status == nullptr) {
            return E_POINTER;
        }
        *status = nullptr;
        LONG count = 0;
        if (document_) {
            HRESULT hr = document_->GetMaxSign(&count);
            if (FAILED(hr)) {
                return forwarded(hr);
            }
        }
        if (Index >= count) {
            return S_FALSE;
        }
        com::ComPtr<content::IQNCryptoSystem> system =
            sibling<content::IQNCryptoSystem>(kCryptoSystemProgId);
        com::ComPtr<content::IQNContent> signedData = sibling<content::IQNContent>(kContentProgId);
        com::ComPtr<content::IQNContent> signature = sibling<content::IQNContent>(kContentProgId);
        if (!document_) {
            fail(kNoFile, module::QN_E_READ);
        }
        if (Index < 0) {
            return S_FALSE; // no signature has a negative index
        }
        HRESULT hr = DocumentTransfer::bytesToSign(document_.get(), Index, signedData.get());
        if (SUCCEEDED(hr)) {
            hr = signatureInto(*document_, Index, *signature);
        }
        if (FAILED(hr)) {
            return forwarded(hr);
        }

        com::BStr xades(u"Xades"), no(u"FALSE");
        com::BStr chain(u"VerifyCompleteChain"), yes(u"true");
        com::ComPtr<IDispatch> made;
        hr = system->setMode(content::MT_PKCS7);
        if (SUCCEEDED(hr)) {
            hr = system->setProperty(xades.get(), no.get());
        }
        if (SUCCEEDED(hr)) {
            hr = system->setProperty(chain.get(), yes.get());
        }
        if (SUCCEEDED(hr)) {
            hr = system->newVerifier(made.out());
        }
        if (FAILED(hr)) {
            return forwarded(hr);
        }
        verifier_ = as<verification::IQNVerifier>(made.get());
        if (!verifier_) {
            return E_NOINTERFACE;
        }

        LONG result = 0;
        HRESULT verified = verifier_->verify(signature.get(), signedData.get(), 1, &result);
        std::string failure = FAILED(verified) ? takeErrorDescription() : std::string();
        if (FAILED(verified) || result != 1) {
            module::logError(kInvalidSignature);
        }
        lastStatusIndex_ = Index;
        hr = verifier_->getStatus(0, status);
        if (FAILED(hr)) {
            return forwarded(hr);
        }
        if (*status == nullptr && FAILED(verified)) {
            // Nothing could be read from the signature: the verifier's failure, not a null
            // status reported as success.
            return ErrorReport::report(kQPASigner, failure, verified);
        }
        return S_OK;
    });
}

HRESULT QPASigner::load(IDispatch* content) {
    return guarded("load", [&]() -> HRESULT {
        module::logInfo("Entro en Load de Quillion.");
        module::logInfo("Se va a pasar el contenido a base64.");
        com::ComPtr<content::IQNContent> source = as<content::IQNContent>(content);
        DocumentText text = DocumentText::of(source.get());
        com::ComPtr<IPdfSign> pdf = createSibling<IPdfSign>(kPdfSignProgId);
        if (!pdf) {
            module::logError(kCannotCreate + std::string(kPdfSignProgId));
            return S_FALSE;
        }
        // A document that cannot be read leaves nothing loaded, never the previous one.
        document_.reset();
        HRESULT hr = text.loadInto(pdf.get());
        if (FAILED(hr)) {
            failLoad(hr);
        }
        module::logInfo("Contenido en Base64 Cargado.");
        document_ = std::move(pdf);
        module::logInfo("Termino la ejecucion de Load");
        return S_OK;
    });
}

HRESULT QPASigner::sign(BSTR nombre, LONG pagina, LONG x1, LONG y1, LONG x2, LONG y2, BSTR font,
                        LONG fontsize, IDispatch* imgContent, IDispatch* content,
                        IDispatch* certificate, LONG /*detached*/, LONG add,
                        IDispatch** signedContent) {
    return guarded("sign", [&]() -> HRESULT {
        module::logTrace("CQPASigner::sign");
        if (signedContent == nullptr) {
            return E_POINTER;
        }
        *signedContent = nullptr;
        com::ComPtr<IPdfSign> pdf = sibling<IPdfSign>(kPdfSignProgId);
        com::ComPtr<content::IQNCryptoSystem> system =
            sibling<content::IQNCryptoSystem>(kCryptoSystemProgId);

        com::ComPtr<content::IQNContent> document = as<content::IQNContent>(content);
        HRESULT loaded = DocumentText::of(document.get()).loadInto(pdf.get());
        if (FAILED(loaded)) {
            failLoad(loaded);
        }
        if (loaded != S_OK) {
            module::logError("No se ha podido cargar el PDF");
            throw ComponentError(kNotLoaded, module::QN_E_READ);
        }

        try {
            com::ComPtr<content::IQNContent> picture = as<content::IQNContent>(imgContent);
            com::BStr image = pictureText(picture.get());
            com::BStr name = signerName(nombre, certificate);

            LONG pages = 0;
            checkStep(pdf->CountPages(&pages));
            LONG page = pagina == 0 ? 1 : pagina;
            if (page < 1 || page > pages) {
                module::logError("La pagina no es correcta.");
                page = 1;
            }
            LONG rotation = 0;
            checkStep(pdf->GetRotate(page, &rotation));
            const Rectangle r = signatureRectangle(x1, y1, x2, y2, rotation);
            LONG index = -1;
            HRESULT created =
                pdf->CreateSign(name.get(), image.get(), page, r.x1, r.y1, r.x2, r.y2, font,
                                fontsize == 0 ? 10 : fontsize, rotation, add, &index);
            checkStep(created);
            if (created != S_OK || index < 0) {
                fail(kCannotSign, module::QN_E_PDF_SIGN); // no signature field could be made
            }

            // The caller's content now holds the bytes to sign.
            HRESULT ranges = DocumentTransfer::bytesToSign(pdf.get(), index, document.get());
            checkStep(ranges);
            if (ranges != S_OK) {
                fail(kCannotSign, module::QN_E_PDF_SIGN);
            }

            com::ComPtr<signing::IQNSignData> signer = newSigner(*system, padesSelected());
            com::ComPtr<IDispatch> made;
            HRESULT hr = signer->sign(content, certificate, 1, made.out());
            if (FAILED(hr)) {
                failSigner(hr);
            }
            com::ComPtr<content::IQNContent> value = as<content::IQNContent>(made.get());
            if (!value) {
                fail(kCannotSign, module::QN_E_PDF_SIGN);
            }
            com::BStr der;
            checkStep(value->get_contentData(der.out()));
            com::BStr hex = com::BStr::fromBytes(stream::HexBin::encode(der.bytes(), true));
            HRESULT inserted = pdf->InsertSign(hex.get(), index);
            checkStep(inserted);
            if (inserted != S_OK) {
                // Longer than the room reserved for it: the document is not signed.
                fail(kCannotSign, module::QN_E_PDF_SIGN);
            }

            // The signed document replaces the signature in the signer's result.
            checkStep(
                DocumentTransfer::signedDocument(std::move(pdf), document.get(), value.get()));
            *signedContent = handOut(value);
            return S_OK;
        } catch (const ComponentError&) {
            throw;
        } catch (const std::exception& e) {
            failSigning(e.what());
        }
    });
}

} // namespace component::pdf
