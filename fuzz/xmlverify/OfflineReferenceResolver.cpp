// The fuzz target's reference resolver: no fetch ever leaves the process. Every URI outside
// the document resolves to no bytes, as a fetch that failed does, so such references are
// digested (and fail) instead of reading files or the network.
#include "component/verification/XmlReferenceResolver.h"

#include <xercesc/util/BinMemInputStream.hpp>

namespace component::verification {

namespace {

class OfflineResolver : public XSECURIResolver {
public:
    xercesc::BinInputStream* resolveURI(const XMLCh*) override {
        static const XMLByte nothing[1] = {0};
        return new xercesc::BinMemInputStream(nothing, 0, xercesc::BinMemInputStream::BufOpt_Copy);
    }
    void setBaseURI(const XMLCh*) override {}
    XSECURIResolver* clone() override { return new OfflineResolver(); }
};

} // namespace

std::unique_ptr<XSECURIResolver> newXmlReferenceResolver() {
    return std::make_unique<OfflineResolver>();
}

} // namespace component::verification
