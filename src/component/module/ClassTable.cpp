#include "component/module/ClassTable.h"

#include "com/ClassFactory.h"
#include "component/certificates/QNCertificate.h"
#include "component/certificates/QNCertificates.h"
#include "component/content/QNCollection.h"
#include "component/content/QNContent.h"
#include "component/content/QNCryptoSystem.h"
#include "component/envelopes/QNEnvelopedData.h"
#include "component/envelopes/QNRecipients.h"
#include "component/pdf/PdfSign.h"
#include "component/pdf/QPASigner.h"
#include "component/signing/QNSignData.h"
#include "component/verification/QNVerifier.h"
#include "component/verification/QNVerifyStatus.h"

namespace component::module {

const std::array<ClassRow, kClassCount>& classTable() {
    static const std::array<ClassRow, kClassCount> table = {{
        {&kQNCollection, &com::ClassFactory<content::QNCollection>::make},
        {&kQNContent, &com::ClassFactory<content::QNContent>::make},
        {&kQNCertificate, &com::ClassFactory<certificates::QNCertificate>::make},
        {&kQNCertificates, &com::ClassFactory<certificates::QNCertificates>::make},
        {&kQNCertificateStore, &com::ClassFactory<certificates::QNCertificateStore>::make},
        {&kQNVerifyStatus, &com::ClassFactory<verification::QNVerifyStatus>::make},
        {&kQNSignData, &com::ClassFactory<signing::QNSignData>::make},
        {&kQNVerifier, &com::ClassFactory<verification::QNVerifier>::make},
        {&kQNRecipients, &com::ClassFactory<envelopes::QNRecipients>::make},
        {&kQNEnvelopedData, &com::ClassFactory<envelopes::QNEnvelopedData>::make},
        {&kQNCryptoSystem, &com::ClassFactory<content::QNCryptoSystem>::make},
        {&kPdfSign, &com::ClassFactory<pdf::PdfSign>::make},
        {&kQPASigner, &com::ClassFactory<pdf::QPASigner>::make},
    }};
    return table;
}

size_t findClass(REFCLSID clsid) {
    const auto& table = classTable();
    for (size_t i = 0; i < table.size(); ++i) {
        if (IsEqualCLSID(table[i].info->clsid, clsid)) {
            return i;
        }
    }
    return kClassCount;
}

} // namespace component::module
