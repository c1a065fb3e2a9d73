#pragma once

// What the signing tests of the bridge share: a signer in the scratch home's stores, the
// page's origin allowed before, and requests on objects.

#include "BridgeProcess.h"

#include <nlohmann/json.hpp>

#include <string>

// Runs a shell command quietly; its exit status.
int runQuietly(const std::string& command);

// Made with openssl: a CA (scratch/ca.pem, scratch/ca.key) and the certificate "CN=ANA FIRMA"
// it issued, with its key, in the scratch home's CurrentUser MY store.
void installSigner(const std::string& scratch);

// The origin as the user allowed it before: the only questions asked are about the key.
void rememberOrigin(const std::string& scratch, const std::string& origin);

// The result of a request that must succeed (a failed expectation and null otherwise).
nlohmann::json resultOf(BridgeProcess& bridge, nlohmann::json request);

// The reply of a call of the member on the object.
nlohmann::json callOn(BridgeProcess& bridge, const nlohmann::json& object, const std::string& name,
                      nlohmann::json args = nlohmann::json::array());

// The first certificate of the MY store, through a QNCryptoSystem.
nlohmann::json firstCertificate(BridgeProcess& bridge, const nlohmann::json& system);
