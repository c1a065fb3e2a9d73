#pragma once

#include <string>
#include <vector>

#include "com/IDispatch.h"
#include "com/Variant.h"

namespace component::certificates {

// What QNCryptoSystem.getCertificates asks for.
struct ListingRequest {
    bool filterCAs = false;
    std::string onlyWithPrivateKey; // "PRI", "PUB" or "ALL"
    bool onlyNotExpired = false;
    std::string field;
    std::string fieldPart;
    std::vector<std::string> trustEntities;
    std::vector<std::string> restrictions; // field, value, field, value, ...
};

// The listing of a QNCertificates collection as a rows x 2 VT_ARRAY|VT_VARIANT of strings
// (position, display value) into result. Errors follow the error convention of
// QNCryptoSystem; on failure result is left empty.
HRESULT listCertificates(IDispatch* certificates, const ListingRequest& request, VARIANT* result);

} // namespace component::certificates
