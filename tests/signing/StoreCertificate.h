#pragma once

#include <string>

#include "TestPki.h"
#include "com/ComPtr.h"
#include "component/certificates/QNCertificate.h"

namespace signingtest {

// Adds who to the current user's MY store (with its key unless withKey is false, encrypted
// when password is set) and returns the QNCertificate read back from the store, as a script
// gets it; null when it is not found there.
com::ComPtr<component::certificates::QNCertificate>
storeCertificate(const testpki::Issued& who, bool withKey = true, const std::string& password = "");

} // namespace signingtest
