#pragma once

#include <string>

#include "com/Types.h"

namespace component::signing {

// Which QNSignData operation failed: their failure tables differ in log lines and codes.
enum class SignOperation { Sign, Cosign };

// A caught failure reduced to what the caller gets.
struct SignFailure {
    std::string description;
    HRESULT code = 0;
};

// Called inside a catch block: classifies the exception in flight, writes its ERROR line and
// returns its description and code.
SignFailure classifyCurrentFailure(SignOperation operation) noexcept;

// The error report of a failure for class QNSignData / IQNSignData: 13 is a wrong password,
// 1223 and NTE_FAIL a cancelled operation, any other code goes out with its description.
// Returns the HRESULT of the call.
HRESULT reportSignFailure(const SignFailure& failure) noexcept;

} // namespace component::signing
