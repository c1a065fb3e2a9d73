#pragma once

#include <string>
#include <vector>

#include "com/Types.h"

namespace component::content {

// QN_MODE_TYPES.
enum QnModeType : LONG {
    MT_PKCS7 = 1,
    MT_XMLDSIG = 2,
    MT_CMS = 3,
    MT_SMIME = 4,
    MT_XADES = 5,
    MT_XMLENC = 6,
    MT_CAdES = 7,
    MT_PDF = 8,
};

// QN_STORE_TYPE.
enum QnStoreType : LONG { ST_MACHINE = 1, ST_CURRENT_USER = 2 };

// The facade's own state: the mode and the certificate-listing restrictions and trust
// entities. Settings are not held here but in the process-wide SettingsTable.
class CQNCryptoSystem {
public:
    // Refreshes the process-wide service-pack number.
    CQNCryptoSystem();

    LONG mode() const noexcept { return mode_; }
    // Stored without validation; INFO "MODE: <mode>".
    void setMode(LONG mode);
    // false for the four refused XAdES namespace names (ERROR line, nothing stored).
    bool setProperty(const std::string& name, const std::string& value);
    // The XAdES version selection; false for any name but the four namespace names.
    static bool setInitProperty(const std::string& name, const std::string& value);
    // The module file's version, "a.b.c.d".
    static std::string version();

    // Certificate-listing filters: two strings (field, value) per restriction.
    void addRestriction(const std::string& field, const std::string& value);
    void addTrustEntity(const std::string& entity);
    void clearRestrictionsAndTrustEntities() noexcept;
    const std::vector<std::string>& restrictions() const noexcept { return restrictions_; }
    const std::vector<std::string>& trustEntities() const noexcept { return trustEntities_; }

    // True for the four XAdES namespace setting names.
    static bool isXadesNamespaceName(const std::string& name) noexcept;

private:
    LONG mode_ = 0;
    std::vector<std::string> restrictions_;
    std::vector<std::string> trustEntities_;
};

} // namespace component::content
