#include "component/signing/CertificateIdentity.h"

#include "stream/RawCodecs.h"

namespace component::signing {

CertificateIdentity CertificateIdentity::of(const platform::crypt::Certificate& certificate) {
    std::vector<unsigned char> serial = certificate.serialBytes();
    return {certificate.issuerName(platform::crypt::name_str::X500 |
                                   platform::crypt::name_str::REVERSE_FLAG),
            stream::bytesToDecimal(serial.data(), serial.size())};
}

} // namespace component::signing
