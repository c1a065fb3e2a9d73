#pragma once

#include <memory>
#include <string>

#include "platform/crypt/RsaKey.h"

namespace platform::stores {

// A private key file of a store: PKCS#8 PEM, plain or encrypted, readable by its owner only.
class KeyFile {
public:
    // Whether a usable key file is there: it exists, is a regular file (not a link) and is
    // neither group- nor other-readable. A key readable by others is refused with a WARNING
    // log line.
    static bool usable(const std::string& path);
    // Loads the key; an encrypted one asks its password through the user-interaction layer
    // (prompt names `description`). Raises CryptException: 13 for a wrong password or an
    // unreadable key, 1223 when the prompt is cancelled, 2 when the file is gone.
    static std::shared_ptr<crypt::PrivateKey> load(const std::string& path,
                                                   const std::string& description);
    // Writes the key as PKCS#8 PEM (encrypted when password is not empty) with mode 0600,
    // never through a symbolic link and never over an existing file (ERROR_FILE_EXISTS 80).
    static void write(const std::string& path, const crypt::PrivateKey& key,
                      const std::string& password);
};

} // namespace platform::stores
