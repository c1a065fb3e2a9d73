#pragma once

// Values between JSON and VARIANTs:
//   null <-> VT_NULL (VT_EMPTY gives null too); true/false <-> VT_BOOL;
//   number <-> VT_I4 when integral and within 32 bits, else VT_R8 (every numeric type back);
//   "text" <-> VT_BSTR; {"$bin": "BASE64"} <-> a binary string; {"$obj": H} <-> VT_DISPATCH
//   of the connection's table; {"$date": "ISO 8601"} <-> VT_DATE;
//   [ ... ] -> a 1-D SAFEARRAY of VARIANTs; a SAFEARRAY -> an array (a 2-D one as rows).

#include "bridge/ObjectTable.h"
#include "com/Variant.h"

#include <nlohmann/json.hpp>

namespace bridge {

class JsonValue {
public:
    // `binary`: the parameter takes a binary string, so text stands for bytes (one character
    // per byte, as a script host passes it). Raises BridgeError: kMalformed for a value that
    // cannot be read ($bin that is not Base64, a bad date), the script host's "Type mismatch"
    // for one that has no VARIANT, kBadHandle for an unknown object.
    static com::Variant toVariant(const nlohmann::json& value, bool binary, ObjectTable& objects);
    // `binary`: the member gives a binary string. Objects are added to the table.
    static nlohmann::json fromVariant(const VARIANT& value, bool binary, ObjectTable& objects);
};

} // namespace bridge
