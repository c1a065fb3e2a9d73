#include "component/signing/SignFailure.h"

#include <stdexcept>

#include <gtest/gtest.h>
#include <xercesc/dom/DOMException.hpp>
#include <xsec/enc/XSECCryptoException.hpp>
#include <xsec/framework/XSECException.hpp>

#include "SigningTestSupport.h"
#include "StoreTestSupport.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/xml/XmlLibraries.h"
#include "stream/System.h"
#include "stream/exceptions/StreamException.h"

using component::signing::classifyCurrentFailure;
using component::signing::reportSignFailure;
using component::signing::SignFailure;
using component::signing::SignOperation;

namespace {

template <class Thrower> SignFailure failureOf(SignOperation operation, Thrower&& thrower) {
    try {
        thrower();
    } catch (...) {
        return classifyCurrentFailure(operation);
    }
    ADD_FAILURE() << "nothing thrown";
    return {};
}

} // namespace

TEST(SignFailure, EachKindGetsItsLogLineDescriptionAndCode) {
    testpki::TempHome home;
    TestLog log(home);
    platform::xml::XmlLibraries::initialise();

    SignFailure crypt = failureOf(SignOperation::Sign, [] {
        platform::crypt::raiseCrypt(__FILE__, __LINE__, platform::crypt::errors::NTE_BAD_SIGNATURE);
    });
    EXPECT_EQ(static_cast<uint32_t>(crypt.code), 0x80090006u);
    EXPECT_FALSE(crypt.description.empty());
    EXPECT_NE(log.text().find("CryptoAPI: " + crypt.description + " -2146893818"),
              std::string::npos);
    SignFailure cosignCrypt = failureOf(SignOperation::Cosign, [] {
        platform::crypt::raiseCrypt(__FILE__, __LINE__,
                                    platform::crypt::errors::CRYPT_E_ASN1_BADTAG);
    });
    EXPECT_EQ(static_cast<uint32_t>(cosignCrypt.code), 0x8009310Bu);

    SignFailure streamFailure = failureOf(SignOperation::Sign, [] {
        throw stream::exceptions::StreamException("Falta la clave privada del certificado",
                                                  static_cast<int32_t>(0x80044656u));
    });
    EXPECT_EQ(streamFailure.description, "Falta la clave privada del certificado");
    EXPECT_NE(log.text().find("Falta la clave privada del certificado -2147203498"),
              std::string::npos);

    SignFailure xsec = failureOf(SignOperation::Sign, [] {
        throw XSECException(XSECException::UnknownDSIGAttribute, "atributo raro");
    });
    EXPECT_EQ(xsec.description, "atributo raro");
    EXPECT_EQ(static_cast<uint32_t>(xsec.code), 0x8004465Bu);
    EXPECT_NE(log.text().find("XSECException: atributo raro"), std::string::npos);

    // A cryptographic failure of the XML library takes the platform's last error in sign.
    for (uint32_t last : {1223u, 13u, 5u}) {
        stream::System::setLastError(last);
        SignFailure c = failureOf(SignOperation::Sign, [] {
            throw XSECCryptoException(XSECCryptoException::GeneralError, "fallo cripto");
        });
        EXPECT_EQ(c.description, "");
        EXPECT_EQ(static_cast<uint32_t>(c.code), last == 5u ? 0x8004465Bu : last);
    }
    EXPECT_NE(log.text().find("Error GetLastError: 1223"), std::string::npos);
    stream::System::setLastError(1223);
    SignFailure cosignCryptoXml = failureOf(SignOperation::Cosign, [] {
        throw XSECCryptoException(XSECCryptoException::GeneralError, "fallo cripto");
    });
    EXPECT_EQ(cosignCryptoXml.description, "fallo cripto");
    EXPECT_EQ(static_cast<uint32_t>(cosignCryptoXml.code), 0x8004465Bu);

    SignFailure dom = failureOf(SignOperation::Sign, [] {
        throw xercesc::DOMException(xercesc::DOMException::NOT_FOUND_ERR);
    });
    EXPECT_EQ(static_cast<uint32_t>(dom.code), 0x8004465Bu);
    EXPECT_NE(log.text().find("DOMException: "), std::string::npos);

    SignFailure standard = failureOf(SignOperation::Sign, [] {
        throw std::runtime_error("No se pudo hacer el hash del certificado");
    });
    EXPECT_EQ(standard.description, "No se pudo hacer el hash del certificado");
    EXPECT_EQ(static_cast<uint32_t>(standard.code), 0x8004465Du);
    EXPECT_NE(log.text().find("QNSignData::sign: Error: No se pudo hacer el hash del certificado"),
              std::string::npos);
    failureOf(SignOperation::Cosign, [] { throw std::logic_error("otro"); });
    EXPECT_NE(log.text().find("Error: otro"), std::string::npos);

    SignFailure unknown = failureOf(SignOperation::Cosign, [] { throw 42; });
    EXPECT_EQ(unknown.description, "Error desconocido.");
    EXPECT_EQ(static_cast<uint32_t>(unknown.code), 0x8004465Bu);
    EXPECT_NE(log.text().find("QNSignData::cosign: Error desconocido."), std::string::npos);
}

TEST(SignFailure, CodesDecideTheReport) {
    EXPECT_EQ(static_cast<uint32_t>(reportSignFailure({"x", 13})), 0x80044662u);
    EXPECT_EQ(signingtest::errorDescription(), "Ha introducido una contraseña erronea");
    EXPECT_EQ(static_cast<uint32_t>(reportSignFailure({"x", 1223})), 0x80044661u);
    EXPECT_EQ(signingtest::errorDescription(), "El usuario ha cancelado la operacion");
    EXPECT_EQ(static_cast<uint32_t>(reportSignFailure({"x", static_cast<HRESULT>(0x80090020u)})),
              0x80044661u);
    EXPECT_EQ(
        static_cast<uint32_t>(reportSignFailure({"mensaje", static_cast<HRESULT>(0x80091002u)})),
        0x80091002u);
    EXPECT_EQ(signingtest::errorDescription(), "mensaje");
    // A failure without a code is still reported as one.
    EXPECT_EQ(static_cast<uint32_t>(reportSignFailure({"sin codigo", 0})), 0x80020009u);
    EXPECT_EQ(signingtest::errorDescription(), "sin codigo");
}
