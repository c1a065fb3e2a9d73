#pragma once

#include <string>

#include "com/IDispatch.h"

namespace component::certificates {

// QNCryptoSystem.openSystemStore: a QNCertificateStore over the named store, opened
// read-only, of the local machine (storeType 1) or the current user (2).
HRESULT openSystemStore(const std::string& storeName, LONG storeType, IDispatch** store);

} // namespace component::certificates
