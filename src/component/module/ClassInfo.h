#pragma once

#include "com/Guid.h"

namespace component::module {

// What the module knows about one scriptable class: identifiers, names and registration.
struct ClassInfo {
    const char* name;          // "QNContent"
    CLSID clsid;               //
    const char* interfaceName; // "IQNContent"
    IID iid;                   // the dispatch interface
    const char* progId;        // "Quillion2.QNContent.1"
    const char* versionIndependentProgId;
    const char* description; // "QNContent Class"
    bool safeForScripting;   // registered as safe for scripting and for initialising
};

#define Q2_CLASS_INFO(NAME, CLSID_TEXT, IID_TEXT, SAFE)                                            \
    inline constexpr ClassInfo k##NAME{#NAME,                                                      \
                                       com::makeGuid(CLSID_TEXT),                                  \
                                       "I" #NAME,                                                  \
                                       com::makeGuid(IID_TEXT),                                    \
                                       "Quillion2." #NAME ".1",                                    \
                                       "Quillion2." #NAME,                                         \
                                       #NAME " Class",                                             \
                                       SAFE};

// The thirteen classes, in registration order (see ClassTable.cpp).
Q2_CLASS_INFO(QNCollection, "600BBED3-2529-4664-BC94-F588F8958F8B",
              "2C95DAFF-0E4E-4D1F-A7D0-5EF7A85DD668", true)
Q2_CLASS_INFO(QNContent, "FA716EF6-BB7F-4F50-BE8B-1695477BD4A2",
              "20844F08-4532-477B-A9FA-46D9E4217902", true)
Q2_CLASS_INFO(QNCertificate, "4C4CA6E5-53DF-4170-A8D5-3A93EC2A4872",
              "7A42074F-34D0-4032-8484-F61D0EB5BCD1", true)
Q2_CLASS_INFO(QNCertificates, "7B533E1F-9490-4E99-AE7B-CDCC393A4A10",
              "30087E57-D3AE-437D-A737-AF75BB00B297", true)
Q2_CLASS_INFO(QNCertificateStore, "110696FA-5EAB-4DFD-A465-9FA1A1C86F7F",
              "A7B202AB-A508-4235-9C97-C25799782590", true)
Q2_CLASS_INFO(QNVerifyStatus, "871D8DC2-84A4-4D1F-99D5-2A4E3BE2E87C",
              "72499E50-11FA-4F7C-B1DE-C06FD973EC23", true)
Q2_CLASS_INFO(QNSignData, "72B4B28B-9DF6-4E69-9E00-F1EE51001ADD",
              "1335A2E8-3429-4C3E-8161-7A6A503CCD40", true)
Q2_CLASS_INFO(QNVerifier, "376CCD2D-56C8-4A33-AC0D-A108076E5769",
              "07C8DC35-2BB9-48EF-9A4D-0E6D1611DB84", true)
Q2_CLASS_INFO(QNRecipients, "B9BFF2CA-04AD-4F60-9E32-A55D0F788D42",
              "52A85834-A660-4A3E-8557-D1D2F1127694", true)
Q2_CLASS_INFO(QNEnvelopedData, "E16C6003-9217-4626-83B0-757C9EA47E53",
              "080F7E03-AC50-4949-AACA-E79F82D3099F", true)
Q2_CLASS_INFO(QNCryptoSystem, "B616C29F-97F4-4C83-915C-89F5C6FE67AC",
              "C1FD5914-2A89-4EA5-B893-BF0CD6BB0E57", true)
Q2_CLASS_INFO(PdfSign, "177E723D-5472-4488-B759-0F4320FF6E13",
              "5D605A2B-ACDE-49CD-9642-7B268923ACD9", false)
Q2_CLASS_INFO(QPASigner, "EF9547D2-97F6-412F-A886-BABD7005A4D8",
              "BD4B3C6F-CF81-4E73-92E3-FC906B1D8A81", true)

#undef Q2_CLASS_INFO

// The type library.
inline constexpr GUID kTypeLibraryId = com::makeGuid("01AF4F8C-3F16-494E-8152-999D694B1A94");
inline constexpr char kTypeLibraryName[] = "QUILLION2Lib";
inline constexpr char kTypeLibraryHelp[] = "Quillion2 1.0 Type Library";

// The component categories every class but PdfSign implements.
inline constexpr CATID kCatidSafeForScripting =
    com::makeGuid("7DD95801-9882-11CF-9FA9-00AA006C42C4");
inline constexpr CATID kCatidSafeForInitializing =
    com::makeGuid("7DD95802-9882-11CF-9FA9-00AA006C42C4");

} // namespace component::module
