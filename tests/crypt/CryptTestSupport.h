#pragma once

#include <cstdint>

#include <gtest/gtest.h>

#include "stream/System.h"
#include "stream/exceptions/CryptException.h"

// Expects statement to raise CryptException with the given Windows code (and to leave it as
// the thread's last error).
#define EXPECT_CRYPT_ERROR(statement, expectedCode)                                                \
    do {                                                                                           \
        bool raised = false;                                                                       \
        try {                                                                                      \
            statement;                                                                             \
        } catch (const stream::exceptions::CryptException& e) {                                    \
            raised = true;                                                                         \
            EXPECT_EQ(e.errorCode(), static_cast<uint32_t>(expectedCode));                         \
            EXPECT_EQ(stream::System::lastError(), static_cast<uint32_t>(expectedCode));           \
        }                                                                                          \
        EXPECT_TRUE(raised) << "no CryptException from " #statement;                               \
    } while (false)
