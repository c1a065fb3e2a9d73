#pragma once

#include <string>
#include <utility>
#include <vector>

#include "com/Types.h"

namespace component::content {

// Which internal implementation the facade's factories give for a mode (QN_MODE_TYPES),
// and the settings newSignData writes with it.
enum class SignerFormat { PKCS7, CMS, XMLDSig };
enum class VerifierFormat { PKCS7, XMLDSig };
enum class EnveloperFormat { PKCS7, CMS };

struct SignerChoice {
    SignerFormat format = SignerFormat::PKCS7;
    std::vector<std::pair<std::string, std::string>> settings;
};

// The enveloper newEnvelopedData gives for a mode, and the settings it writes with it.
struct EnveloperChoice {
    EnveloperFormat format = EnveloperFormat::PKCS7;
    std::vector<std::pair<std::string, std::string>> settings;
};

SignerChoice signerForMode(LONG mode);
VerifierFormat verifierForMode(LONG mode);
EnveloperChoice enveloperForMode(LONG mode);

} // namespace component::content
