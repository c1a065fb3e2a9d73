#include "platform/crypt/SignedDataEncoder.h"

#include <gtest/gtest.h>

#include "CryptTestSupport.h"
#include "SigningTestSupport.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/DerReader.h"
#include "platform/crypt/DigestAlgorithms.h"
#include "platform/crypt/SignedDataParser.h"

using namespace platform::crypt;
using signingtest::bytes;
using signingtest::text;

namespace {

constexpr const char* kSha1 = "1.3.14.3.2.26";
constexpr const char* kSha256 = "2.16.840.1.101.3.4.2.1";

SignerRequest request(const testpki::Issued& who, const std::string& digestOid) {
    SignerRequest r;
    r.certificate = who.certificate;
    r.key = who.key;
    r.digestOid = digestOid;
    return r;
}

// A signed attribute of the caller (a signingTime with a fixed UTCTime).
Bytes fixedSigningTime() {
    Bytes type = der::oid("1.2.840.113549.1.9.5");
    std::string when = "260102030405Z";
    Bytes time = der::tlv(0x17, bytes(when));
    Bytes set = der::tlv(0x31, time);
    return der::sequence({&type, &set});
}

// The SignerInfos of a message, parsed by our own reader.
std::vector<ByteView> signerInfos(const Bytes& message) {
    std::vector<ByteView> infos;
    SignedDataParser parser(message.data(), message.size());
    for (const SignerInfoView& s : parser.signers()) {
        infos.push_back(s.encoding);
    }
    return infos;
}

bool contains(const Bytes& haystack, const std::string& needle) {
    return text(haystack).find(needle) != std::string::npos;
}

// The encoder with results as byte vectors.
class VectorEncoder {
public:
    explicit VectorEncoder(SignedDataFlavour flavour) : encoder_(flavour) {}
    Bytes sign(const SignerRequest& signer, const unsigned char* content, size_t size,
               const std::string& contentType, bool detached) const {
        return bytes(encoder_.sign(signer, content, size, contentType, detached));
    }
    Bytes addSigner(const SignerRequest& signer, const unsigned char* message, size_t size,
                    const unsigned char* detachedContent, size_t detachedSize) const {
        return bytes(encoder_.addSigner(signer, message, size, detachedContent, detachedSize));
    }

private:
    SignedDataEncoder encoder_;
};

class Encoder : public ::testing::TestWithParam<SignedDataFlavour> {
protected:
    testpki::TempHome home;
    signingtest::Pki pki;
    signingtest::OpensslPeer peer{home.path(), pki.root};
    VectorEncoder encoder{GetParam()};
};

} // namespace

TEST_P(Encoder, AttachedAndDetachedVerifyWithOpenssl) {
    const std::string content("contenido\0con cero y acentos: ñandú", 38);
    for (const char* digestOid : {kSha1, kSha256, "2.16.840.1.101.3.4.2.2",
                                  "2.16.840.1.101.3.4.2.3", "1.2.840.113549.2.5"}) {
        SCOPED_TRACE(digestOid);
        for (bool withAttributes : {false, true}) {
            SignerRequest r = request(pki.signer, digestOid);
            if (withAttributes) {
                r.signedAttributes.push_back(fixedSigningTime());
            }
            Bytes attached = encoder.sign(r, reinterpret_cast<const unsigned char*>(content.data()),
                                          content.size(), "", false);
            Bytes detached = encoder.sign(r, reinterpret_cast<const unsigned char*>(content.data()),
                                          content.size(), "", true);
            std::string log, out;
            EXPECT_TRUE(peer.cmsVerify(attached, "", false, &log, &out)) << log;
            EXPECT_EQ(out, content);
            EXPECT_TRUE(peer.cmsVerify(detached, content, true, &log)) << log;
            EXPECT_FALSE(contains(detached, content));
            // Another content does not verify against the detached signature.
            EXPECT_FALSE(peer.cmsVerify(detached, content + "x", true));
            if (GetParam() == SignedDataFlavour::Pkcs7) {
                EXPECT_TRUE(peer.smimeVerify(attached, nullptr, &log)) << log;
                EXPECT_TRUE(peer.smimeVerify(detached, &content, &log)) << log;
            }
        }
    }
}

TEST_P(Encoder, DigestAlgorithmWithoutParametersAndAttributesInOrder) {
    SignerRequest r = request(pki.signer, kSha256);
    r.signedAttributes.push_back(fixedSigningTime());
    Bytes m = encoder.sign(r, reinterpret_cast<const unsigned char*>("abc"), 3, "", true);
    SignedDataParser parts(m.data(), m.size());
    ASSERT_EQ(parts.digestAlgorithmElements().size(), 1u);
    Bytes expected = der::oid(kSha256);
    expected = der::sequence({&expected});
    EXPECT_EQ(
        Bytes(parts.digestAlgorithmElements()[0].data,
              parts.digestAlgorithmElements()[0].data + parts.digestAlgorithmElements()[0].size),
        expected);
    EXPECT_EQ(parts.version(), 1u);
    EXPECT_FALSE(parts.hasContentField());
    ASSERT_EQ(parts.certificateElements().size(), 1u);
    EXPECT_EQ(Bytes(parts.certificateElements()[0].data,
                    parts.certificateElements()[0].data + parts.certificateElements()[0].size),
              pki.signer.certificate->der());

    // SignerInfo: version, sid, digestAlgorithm, [0] contentType, messageDigest, signingTime.
    std::vector<ByteView> infos = signerInfos(m);
    ASSERT_EQ(infos.size(), 1u);
    DerReader outer(infos[0].data, infos[0].size);
    DerReader info = outer.inside(outer.expect(0x30));
    EXPECT_EQ(integerValue(info.expect(0x02)), 1u);
    info.expect(0x30);
    info.expect(0x30);
    DerReader attributes = info.inside(info.expect(0xA0));
    std::vector<std::string> types;
    while (!attributes.atEnd()) {
        DerReader a = attributes.inside(attributes.expect(0x30));
        types.push_back(oidText(a.expect(0x06)));
    }
    EXPECT_EQ(types, (std::vector<std::string>{"1.2.840.113549.1.9.3", "1.2.840.113549.1.9.4",
                                               "1.2.840.113549.1.9.5"}));
    DerReader signatureAlgorithm = info.inside(info.expect(0x30));
    EXPECT_EQ(oidText(signatureAlgorithm.expect(0x06)), "1.2.840.113549.1.1.1");
    EXPECT_EQ(info.expect(0x04).length, 256u);
    EXPECT_TRUE(info.atEnd());

    // No attributes at all when none are supplied.
    Bytes bare = encoder.sign(request(pki.signer, kSha1),
                              reinterpret_cast<const unsigned char*>("abc"), 3, "", false);
    std::string printed = peer.print(bare);
    size_t at = printed.find("signedAttrs:");
    ASSERT_NE(at, std::string::npos) << printed;
    size_t next = printed.find_first_not_of(" \n", at + 12);
    EXPECT_EQ(printed.compare(next, 8, "<ABSENT>"), 0) << printed;
}

TEST_P(Encoder, CosignAttachedAndDetachedKeepsExistingSigner) {
    const std::string content = "documento para dos firmantes";
    const auto* data = reinterpret_cast<const unsigned char*>(content.data());
    for (bool detached : {false, true}) {
        SCOPED_TRACE(detached);
        Bytes first = encoder.sign(request(pki.signer, kSha1), data, content.size(), "", detached);
        SignerRequest second = request(pki.second, kSha256);
        second.signedAttributes.push_back(fixedSigningTime());
        Bytes both =
            detached ? encoder.addSigner(second, first.data(), first.size(), data, content.size())
                     : encoder.addSigner(second, first.data(), first.size(), nullptr, 0);
        std::vector<ByteView> before = signerInfos(first);
        std::vector<ByteView> after = signerInfos(both);
        ASSERT_EQ(after.size(), 2u);
        EXPECT_EQ(Bytes(before[0].data, before[0].data + before[0].size),
                  Bytes(after[0].data, after[0].data + after[0].size));
        SignedDataParser parts(both.data(), both.size());
        EXPECT_EQ(parts.certificateElements().size(), 2u);
        EXPECT_EQ(parts.digestAlgorithms(), (std::vector<std::string>{kSha1, kSha256}));
        std::string log;
        EXPECT_TRUE(peer.cmsVerify(both, content, detached, &log)) << log;
        EXPECT_FALSE(peer.cmsVerify(both, content + ".", true));

        // The same signer again: its certificate and digest algorithm are not repeated.
        Bytes three = encoder.addSigner(request(pki.signer, kSha1), both.data(), both.size(), data,
                                        content.size());
        SignedDataParser again(three.data(), three.size());
        EXPECT_EQ(again.certificateElements().size(), 2u);
        EXPECT_EQ(again.digestAlgorithmElements().size(), 2u);
        EXPECT_EQ(again.signers().size(), 3u);
        EXPECT_TRUE(peer.cmsVerify(three, content, detached, &log)) << log;
    }
}

TEST_P(Encoder, SignatureOverSuppliedDigestVerifiesAgainstTheOriginal) {
    const std::string content = "el contenido original que nunca ve el firmante";
    for (const char* digestOid : {kSha1, kSha256, "2.16.840.1.101.3.4.2.3"}) {
        SCOPED_TRACE(digestOid);
        Bytes digest =
            digestWith(digestAlgorithm(digestOid),
                       reinterpret_cast<const unsigned char*>(content.data()), content.size());
        for (bool withAttributes : {false, true}) {
            SignerRequest r = request(pki.signer, digestOid);
            r.suppliedDigest = &digest;
            if (withAttributes) {
                r.signedAttributes.push_back(fixedSigningTime());
            }
            Bytes m = encoder.sign(r, nullptr, 0, "", true);
            std::string log;
            EXPECT_TRUE(peer.cmsVerify(m, content, true, &log)) << log;
            EXPECT_FALSE(peer.cmsVerify(m, content + " ", true));
        }
    }
}

TEST_P(Encoder, SuppliedDigestOfTheWrongLengthIsRefused) {
    Bytes longer(21, 0xAB);
    Bytes huge(65, 0x01);
    Bytes shorter(19, 0x02);
    for (const Bytes* digest : {&longer, &huge, &shorter}) {
        SignerRequest r = request(pki.signer, kSha1);
        r.suppliedDigest = digest;
        EXPECT_CRYPT_ERROR(encoder.sign(r, nullptr, 0, "", true), errors::NTE_BAD_HASH);
    }
}

TEST_P(Encoder, UnknownOrEmptyDigestAlgorithmFails) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>("x");
    EXPECT_CRYPT_ERROR(encoder.sign(request(pki.signer, ""), data, 1, "", false),
                       errors::CRYPT_E_UNKNOWN_ALGO);
    EXPECT_CRYPT_ERROR(encoder.sign(request(pki.signer, "1.2.3.4"), data, 1, "", false),
                       errors::CRYPT_E_UNKNOWN_ALGO);
    EXPECT_CRYPT_ERROR(encoder.sign(request(pki.signer, "1.2.840.113549.2.2"), data, 1, "", false),
                       errors::NTE_NOT_SUPPORTED);
}

TEST_P(Encoder, AddingASignerToBytesThatAreNoSignedDataFails) {
    SignerRequest r = request(pki.signer, kSha1);
    Bytes garbage = bytes("esto no es una firma");
    EXPECT_THROW(encoder.addSigner(r, garbage.data(), garbage.size(), nullptr, 0),
                 stream::exceptions::CryptException);
    EXPECT_THROW(encoder.addSigner(r, nullptr, 0, nullptr, 0), stream::exceptions::CryptException);
    // A ContentInfo of type data is no SignedData.
    Bytes type = der::oid("1.2.840.113549.1.7.1");
    Bytes octets = der::octetString(garbage.data(), garbage.size());
    Bytes explicitContent = der::tlv(0xA0, octets);
    Bytes info = der::sequence({&type, &explicitContent});
    EXPECT_CRYPT_ERROR(encoder.addSigner(r, info.data(), info.size(), nullptr, 0),
                       errors::CRYPT_E_INVALID_MSG_TYPE);
    // Zero padding after a message is accepted, other trailing bytes are not.
    Bytes padded = encoder.sign(r, garbage.data(), garbage.size(), "", false);
    size_t length = padded.size();
    padded.resize(length + 100, 0);
    Bytes cosigned =
        encoder.addSigner(request(pki.second, kSha1), padded.data(), padded.size(), nullptr, 0);
    EXPECT_EQ(SignedDataParser(cosigned.data(), cosigned.size()).signers().size(), 2u);
    EXPECT_TRUE(peer.cmsVerify(cosigned, "", false));
    padded[length + 50] = 1;
    EXPECT_CRYPT_ERROR(encoder.addSigner(r, padded.data(), padded.size(), nullptr, 0),
                       errors::CRYPT_E_ASN1_CORRUPT);
    // A real message cut anywhere is refused, never read past its end.
    Bytes good = encoder.sign(r, garbage.data(), garbage.size(), "", false);
    for (size_t cut = 1; cut < good.size(); cut += 97) {
        Bytes truncated(good.begin(), good.begin() + cut);
        EXPECT_THROW(encoder.addSigner(r, truncated.data(), truncated.size(), nullptr, 0),
                     stream::exceptions::CryptException);
    }
}

TEST_P(Encoder, KeyThatIsNotTheCertificatesIsRefused) {
    SignerRequest r = request(pki.signer, kSha1);
    r.key = pki.second.key;
    EXPECT_CRYPT_ERROR(encoder.sign(r, reinterpret_cast<const unsigned char*>("x"), 1, "", false),
                       errors::NTE_BAD_KEY);
}

INSTANTIATE_TEST_SUITE_P(Flavours, Encoder,
                         ::testing::Values(SignedDataFlavour::Pkcs7, SignedDataFlavour::Cms),
                         [](const auto& info) {
                             return info.param == SignedDataFlavour::Pkcs7 ? "Pkcs7" : "Cms";
                         });

TEST(CmsEncoder, KeyIdentifierSignerAndVersions) {
    testpki::TempHome home;
    signingtest::Pki pki;
    signingtest::OpensslPeer peer{home.path(), pki.root};
    VectorEncoder encoder(SignedDataFlavour::Cms);
    SignerRequest r = request(pki.signer, kSha256);
    r.keyIdentifier = true;
    const std::string content = "firmante por identificador de clave";
    Bytes m = encoder.sign(r, reinterpret_cast<const unsigned char*>(content.data()),
                           content.size(), "", false);
    SignedDataParser parts(m.data(), m.size());
    EXPECT_EQ(parts.version(), 3u);
    DerReader outer(parts.signers()[0].encoding.data, parts.signers()[0].encoding.size);
    DerReader info = outer.inside(outer.expect(0x30));
    EXPECT_EQ(integerValue(info.expect(0x02)), 3u);
    DerElement sid = info.expect(0x80);
    EXPECT_EQ(sid.valueBytes(), pki.signer.certificate->keyIdentifier());
    std::string log, out;
    EXPECT_TRUE(peer.cmsVerify(m, "", false, &log, &out)) << log;
    EXPECT_EQ(out, content);

    // Co-signing with an issuer-and-serial signer keeps version 3.
    Bytes both = encoder.addSigner(request(pki.second, kSha1), m.data(), m.size(), nullptr, 0);
    EXPECT_EQ(SignedDataParser(both.data(), both.size()).version(), 3u);
    EXPECT_TRUE(peer.cmsVerify(both, "", false, &log)) << log;
    // And a PKCS#7 message gets a version-3 signer when a key identifier signer is added.
    Bytes pkcs7 = VectorEncoder(SignedDataFlavour::Pkcs7)
                      .sign(request(pki.second, kSha1),
                            reinterpret_cast<const unsigned char*>(content.data()), content.size(),
                            "", false);
    Bytes mixed = encoder.addSigner(r, pkcs7.data(), pkcs7.size(), nullptr, 0);
    EXPECT_EQ(SignedDataParser(mixed.data(), mixed.size()).version(), 3u);
    EXPECT_TRUE(peer.cmsVerify(mixed, "", false, &log)) << log;
}

TEST(Pkcs7Encoder, ContentOfAnotherTypeIsCarriedAsItsOwnEncoding) {
    testpki::TempHome home;
    signingtest::Pki pki;
    VectorEncoder encoder(SignedDataFlavour::Pkcs7);
    // A content of type signedData... here simply a SEQUENCE of two integers under an OID.
    Bytes one = der::integer(1), two = der::integer(2);
    Bytes inner = der::sequence({&one, &two});
    Bytes m = encoder.sign(request(pki.signer, kSha1), inner.data(), inner.size(),
                           "1.2.840.113549.1.7.5", false);
    SignedDataParser parts(m.data(), m.size());
    EXPECT_EQ(parts.contentType(), "1.2.840.113549.1.7.5");
    ASSERT_TRUE(parts.hasContentField());
    // The digest covers the contents octets of the SEQUENCE: signing those octets as data
    // gives the same messageDigest attribute value.
    Bytes expected = digestWith(digestAlgorithm(kSha1), inner.data() + 2, inner.size() - 2);
    EXPECT_EQ(Bytes(parts.digestedContent().data,
                    parts.digestedContent().data + parts.digestedContent().size),
              Bytes(inner.begin() + 2, inner.end()));
    EXPECT_NE(std::search(m.begin(), m.end(), expected.begin(), expected.end()), m.end());
    // The CMS flavour wraps the same encoding in an OCTET STRING.
    Bytes cms = VectorEncoder(SignedDataFlavour::Cms)
                    .sign(request(pki.signer, kSha1), inner.data(), inner.size(),
                          "1.2.840.113549.1.7.5", false);
    SignedDataParser cmsParts(cms.data(), cms.size());
    EXPECT_EQ(cmsParts.version(), 3u);
    EXPECT_EQ(Bytes(cmsParts.digestedContent().data,
                    cmsParts.digestedContent().data + cmsParts.digestedContent().size),
              inner);
    signingtest::OpensslPeer peer{home.path(), pki.root};
    std::string log, out;
    EXPECT_TRUE(peer.cmsVerify(cms, "", false, &log, &out)) << log;
    EXPECT_EQ(bytes(out), inner);
}

TEST(EncoderInterop, CosignsWhatOpensslSigned) {
    testpki::TempHome home;
    signingtest::Pki pki;
    signingtest::OpensslPeer peer{home.path(), pki.root};
    const std::string dir = home.path();
    const std::string content("firmado primero por openssl\0y despues por nosotros", 51);
    testpki::writeFile(dir + "/content.bin", content);
    testpki::writeFile(dir + "/signer.pem", pki.signer.certificate->pem());
    testpki::writeFile(dir + "/signer.key", pki.signer.key->toPem(""));
    struct Case {
        const char* name;
        const char* command;
        bool detached;
        bool ber = false; // indefinite lengths, content in pieces
    } cases[] = {
        {"cms attached", "openssl cms -sign -binary -nodetach -md sha256 -outform DER", false},
        {"cms detached", "openssl cms -sign -binary -md sha256 -outform DER", true},
        {"smime attached", "openssl smime -sign -binary -nodetach -md sha1 -outform DER", false},
        {"smime detached", "openssl smime -sign -binary -md sha1 -outform DER", true},
        {"cms attached BER", "openssl cms -sign -binary -nodetach -stream -md sha256 -outform DER",
         false, true},
        {"cms detached BER", "openssl cms -sign -binary -stream -md sha256 -outform DER", true,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string log;
        ASSERT_EQ(testpki::run(std::string(c.command) + " -in " + dir + "/content.bin -signer " +
                                   dir + "/signer.pem -inkey " + dir + "/signer.key -out " + dir +
                                   "/theirs.der",
                               &log),
                  0)
            << log;
        Bytes theirs = bytes(testpki::readFile(dir + "/theirs.der"));
        for (SignedDataFlavour flavour : {SignedDataFlavour::Pkcs7, SignedDataFlavour::Cms}) {
            SignerRequest r = request(pki.second, kSha256);
            r.signedAttributes.push_back(fixedSigningTime());
            Bytes both = VectorEncoder(flavour).addSigner(
                r, theirs.data(), theirs.size(),
                reinterpret_cast<const unsigned char*>(content.data()), content.size());
            std::vector<ByteView> infos = signerInfos(both);
            ASSERT_EQ(infos.size(), 2u);
            if (c.ber) {
                // What openssl wrote has indefinite lengths; the co-signed message is DER.
                EXPECT_EQ(theirs[1], 0x80);
                EXPECT_NE(both[1], 0x80);
            } else {
                std::vector<ByteView> original = signerInfos(theirs);
                EXPECT_EQ(Bytes(infos[0].data, infos[0].data + infos[0].size),
                          Bytes(original[0].data, original[0].data + original[0].size));
            }
            EXPECT_TRUE(peer.cmsVerify(both, content, c.detached, &log)) << log;
            EXPECT_FALSE(peer.cmsVerify(both, content + "?", true));
        }
    }
}

TEST(EncoderLarge, ContentNeedingFourLengthOctets) {
    testpki::TempHome home;
    signingtest::Pki pki;
    signingtest::OpensslPeer peer{home.path(), pki.root};
    // More than 16 MiB: every length around the content takes four octets.
    std::string content((size_t{1} << 24) + 4097, '\0');
    for (size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>((i * 131) >> 7);
    }
    const auto* data = reinterpret_cast<const unsigned char*>(content.data());
    for (SignedDataFlavour flavour : {SignedDataFlavour::Pkcs7, SignedDataFlavour::Cms}) {
        VectorEncoder encoder(flavour);
        Bytes attached =
            encoder.sign(request(pki.signer, kSha256), data, content.size(), "", false);
        EXPECT_GT(attached.size(), content.size());
        EXPECT_EQ(attached[1], 0x84);
        Bytes both = encoder.addSigner(request(pki.second, kSha1), attached.data(), attached.size(),
                                       nullptr, 0);
        std::string log, out;
        EXPECT_TRUE(peer.cmsVerify(both, "", false, &log, &out)) << log;
        EXPECT_TRUE(out == content);
        Bytes detached = encoder.sign(request(pki.signer, kSha256), data, content.size(), "", true);
        EXPECT_LT(detached.size(), 4096u);
        EXPECT_TRUE(peer.cmsVerify(detached, content, true, &log)) << log;
    }
}
