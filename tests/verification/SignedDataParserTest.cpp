// The DER-level SignedData reader over messages openssl wrote.
#include "platform/crypt/SignedDataParser.h"

#include <gtest/gtest.h>

#include "VerificationFixture.h"
#include "platform/crypt/DerReader.h"
#include "platform/crypt/SignerCheck.h"
#include "stream/exceptions/CryptException.h"

using namespace platform::crypt;

namespace {

const unsigned char* bytesOf(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::string text(ByteView v) {
    return std::string(reinterpret_cast<const char*>(v.data), v.size);
}

uint32_t parseError(const std::string& bytes) {
    try {
        SignedDataParser parser(bytesOf(bytes), bytes.size());
    } catch (const stream::exceptions::CryptException& e) {
        return e.errorCode();
    }
    return 0;
}

} // namespace

TEST_F(VerificationTest, ParserGivesViewsIntoTheMessage) {
    std::string message = cmsSign("vista sin copia", "-nodetach -outform DER");
    SignedDataParser parser(bytesOf(message), message.size());
    EXPECT_FALSE(parser.normalised());
    EXPECT_EQ(parser.bytes(), bytesOf(message));
    EXPECT_EQ(parser.version(), 1u);
    EXPECT_EQ(parser.contentType(), "1.2.840.113549.1.7.1");
    EXPECT_FALSE(parser.detached());
    EXPECT_EQ(text(parser.content()), "vista sin copia");
    // The content is a view into the caller's bytes, not a copy.
    EXPECT_GE(parser.content().data, bytesOf(message));
    EXPECT_LE(parser.content().data + parser.content().size, bytesOf(message) + message.size());
    ASSERT_EQ(parser.digestAlgorithms().size(), 1u);
    EXPECT_EQ(parser.digestAlgorithms()[0], "2.16.840.1.101.3.4.2.1");
    ASSERT_EQ(parser.certificates().size(), 1u);
    EXPECT_EQ(parser.certificates()[0].bytes(), signer.certificate->der());

    ASSERT_EQ(parser.signers().size(), 1u);
    const SignerInfoView& s = parser.signers()[0];
    EXPECT_FALSE(s.sid.byKeyIdentifier);
    EXPECT_EQ(s.sid.issuer.bytes(), signer.certificate->issuerDer());
    EXPECT_EQ(s.sid.serialNumber.bytes(), std::vector<unsigned char>{2});
    EXPECT_EQ(s.digestAlgorithm, "2.16.840.1.101.3.4.2.1");
    EXPECT_TRUE(s.hasSignedAttributes);
    EXPECT_EQ(s.signedAttributes.data[0], 0xA0);
    EXPECT_NE(s.attribute(kContentTypeAttribute), nullptr);
    EXPECT_NE(s.attribute(kMessageDigestAttribute), nullptr);
    ASSERT_TRUE(signingTimeOf(s).has_value());
    EXPECT_LE(std::abs(static_cast<long>(*signingTimeOf(s) - std::time(nullptr))), 300);
    EXPECT_EQ(s.signature.size, 256u);
    EXPECT_TRUE(signerNames(s, *signer.certificate));
    EXPECT_FALSE(signerNames(s, *root.certificate));
    EXPECT_NO_THROW(verifySignerOver(s, *signer.certificate, parser.digestedContent()));
    std::string other = "vista con copia";
    EXPECT_THROW(verifySignerOver(s, *signer.certificate, ByteView{bytesOf(other), other.size()}),
                 stream::exceptions::CryptException);
}

TEST_F(VerificationTest, ParserReadsDetachedKeyIdAndBareSignedData) {
    std::string message = cmsSign("x", "-keyid -noattr -outform DER");
    SignedDataParser parser(bytesOf(message), message.size());
    EXPECT_TRUE(parser.detached());
    ASSERT_EQ(parser.signers().size(), 1u);
    const SignerInfoView& s = parser.signers()[0];
    EXPECT_TRUE(s.sid.byKeyIdentifier);
    EXPECT_EQ(s.sid.keyIdentifier.bytes(), signer.certificate->keyIdentifier());
    EXPECT_FALSE(s.hasSignedAttributes);
    EXPECT_FALSE(signingTimeOf(s).has_value());
    EXPECT_EQ(parser.signers()[0].version, 3u);

    // The SignedData without its ContentInfo reads the same.
    DerReader top(bytesOf(message), message.size());
    DerReader info = top.inside(top.expect(0x30));
    info.expect(0x06);
    DerElement wrapped = info.expect(0xA0);
    std::string bare(reinterpret_cast<const char*>(wrapped.value), wrapped.length);
    SignedDataParser again(bytesOf(bare), bare.size());
    EXPECT_EQ(again.signers().size(), 1u);
    EXPECT_EQ(again.signers()[0].signature.bytes(), s.signature.bytes());
}

TEST_F(VerificationTest, ParserNormalisesBer) {
    std::string content(3000, 'q');
    std::string message = cmsSign(content, "-nodetach -stream -outform DER");
    SignedDataParser parser(bytesOf(message), message.size());
    EXPECT_TRUE(parser.normalised());
    EXPECT_EQ(text(parser.content()), content);
    ASSERT_EQ(parser.signers().size(), 1u);
    EXPECT_NO_THROW(
        verifySignerOver(parser.signers()[0], *signer.certificate, parser.digestedContent()));
}

TEST_F(VerificationTest, ParserRefusesWhatIsNoSignedData) {
    EXPECT_EQ(parseError(""), 0x8009310Bu);
    EXPECT_EQ(parseError("hola mundo"), 0x8009310Bu);
    std::string message = cmsSign("corto", "-nodetach -outform DER");
    EXPECT_NE(parseError(message.substr(0, message.size() - 1)), 0u);
    EXPECT_NE(parseError(message.substr(0, 40)), 0u);
    testpki::writeFile(path("c.bin"), "x");
    openssl("cms -encrypt -binary -in " + path("c.bin") + " -outform DER -out " + path("e.der") +
            " " + signerPath + ".pem");
    EXPECT_EQ(parseError(fileBytes(path("e.der"))), 0x80091004u);
}
