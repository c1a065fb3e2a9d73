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

struct SignerChoice {
    SignerFormat format = SignerFormat::PKCS7;
    std::vector<std::pair<std::string, std::string>> settings;
};

SignerChoice signerForMode(LONG mode);
VerifierFormat verifierForMode(LONG mode);

} // namespace component::content
