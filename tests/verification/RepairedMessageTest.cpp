// The repaired copy of a message whose signer writes its issuer with other string types.
#include "component/verification/RepairedMessage.h"

#include <gtest/gtest.h>

#include "VerificationFixture.h"
#include "platform/crypt/DerReader.h"
#include "platform/crypt/DerWriter.h"
#include "platform/crypt/NameString.h"
#include "platform/crypt/SignedDataParser.h"

using component::verification::RepairedMessage;
using namespace platform::crypt;

namespace {

Bytes filled(size_t n, unsigned char byte) {
    return Bytes(n, byte);
}

} // namespace

TEST(RepairedMessage, EnclosingLengthsFollowTheReplacement) {
    // Bytes that read like tags inside a string before the target must stay as they are.
    Bytes decoy = der::octetString(Bytes{0x30, 0x05, 0x31, 0x81, 0x02, 0xA0}.data(), 6);
    Bytes target = der::octetString(Bytes{'a', 'b'}.data(), 2);
    Bytes oid = der::oid("1.2.3");
    Bytes set = der::constructed(0x31, {&oid});
    Bytes inner = der::sequence({&decoy, &target, &set});
    Bytes one = der::integer(1);
    Bytes two = der::integer(2);
    Bytes whole = der::sequence({&one, &inner, &two});

    // The target's offset: header of the outer (2), INTEGER (3), header of inner (2), decoy.
    size_t offset = 2 + one.size() + 2 + decoy.size();
    ASSERT_EQ(whole[offset], 0x04);
    for (size_t n : {size_t(1), size_t(130), size_t(300), size_t(70000)}) {
        Bytes bigValue = filled(n, 0x30);
        Bytes replacement = der::octetString(bigValue.data(), bigValue.size());
        std::optional<Bytes> repaired = RepairedMessage::replaceElement(
            whole.data(), whole.size(), offset, target.size(), replacement);
        ASSERT_TRUE(repaired.has_value()) << n;
        Bytes expectedInner = der::sequence({&decoy, &replacement, &set});
        Bytes expected = der::sequence({&one, &expectedInner, &two});
        EXPECT_EQ(*repaired, expected) << n;
    }
    // An offset that is no element boundary, or a length that is not the element's.
    EXPECT_FALSE(RepairedMessage::replaceElement(whole.data(), whole.size(), offset + 1, 3, target)
                     .has_value());
    EXPECT_FALSE(RepairedMessage::replaceElement(whole.data(), whole.size(), offset,
                                                 target.size() + 1, target)
                     .has_value());
}

TEST(RepairedMessage, TeletexAttributesAndReencoding) {
    Bytes utf8 = stringToName("CN=Peña, C=ES", name_str::X500 | name_str::REVERSE_FLAG |
                                                   name_str::ENABLE_UTF8_UNICODE_FLAG);
    Bytes t61 = stringToName("CN=Peña, C=ES", name_str::X500 | name_str::REVERSE_FLAG |
                                                  name_str::ENABLE_T61_UNICODE_FLAG);
    EXPECT_FALSE(RepairedMessage::hasTeletexAttribute(utf8));
    EXPECT_TRUE(RepairedMessage::hasTeletexAttribute(t61));
    EXPECT_FALSE(RepairedMessage::hasTeletexAttribute(Bytes{0x30, 0x05}));
    std::optional<Bytes> again =
        RepairedMessage::reencodeIssuer(ByteView{utf8.data(), utf8.size()});
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(*again, t61);
}

// A certificate issued under a TeletexString name, and a message whose signer names that
// issuer with UTF8String values: found through the re-encoded name, verified on the copy.
TEST_F(VerificationTest, SignerWithReencodedTeletexIssuerVerifiesOnTheRepairedCopy) {
    testpki::writeFile(path("t61.cnf"), "[req]\ndistinguished_name=dn\nstring_mask=nombstr\n"
                                        "[dn]\n[ext]\nbasicConstraints=critical,CA:TRUE\n");
    openssl("req -x509 -new -newkey rsa:2048 -nodes -utf8 -config " + path("t61.cnf") +
            " -extensions ext -subj \"/C=ES/CN=Autoridad Peña\" -days 30 -keyout " +
            path("t61ca.key") + " -out " + path("t61ca.pem"));
    openssl("req -new -newkey rsa:2048 -nodes -utf8 -config " + path("t61.cnf") +
            " -subj \"/C=ES/CN=Firmante Teletex\" -keyout " + path("t61.key") + " -out " +
            path("t61.csr"));
    openssl("x509 -req -in " + path("t61.csr") + " -CA " + path("t61ca.pem") + " -CAkey " +
            path("t61ca.key") + " -set_serial 77 -days 30 -out " + path("t61.pem"));
    std::string message = cmsSign("teletex", "-nodetach -outform DER -signer " + path("t61.pem") +
                                                 " -inkey " + path("t61.key"));
    SignedDataParser parsed(reinterpret_cast<const unsigned char*>(message.data()), message.size());
    const SignerIdentifier& sid = parsed.signers().at(0).sid;
    ASSERT_TRUE(RepairedMessage::hasTeletexAttribute(sid.issuer.bytes()));
    std::string issuerText = nameToString(sid.issuer.bytes(), name_str::OID);
    Bytes utf8Issuer = stringToName(issuerText, name_str::OID | name_str::ENABLE_UTF8_UNICODE_FLAG);
    ASSERT_NE(utf8Issuer, sid.issuer.bytes());
    std::optional<Bytes> rewritten = RepairedMessage::replaceElement(
        parsed.bytes(), parsed.size(), sid.issuerOffset, sid.issuer.size, utf8Issuer);
    ASSERT_TRUE(rewritten.has_value());
    std::string renamed(rewritten->begin(), rewritten->end());

    // Still a well-formed message that openssl (which compares names by their text) verifies.
    testpki::writeFile(path("renamed.der"), renamed);
    EXPECT_EQ(testpki::run("openssl cms -verify -noverify -inform DER -in " + path("renamed.der") +
                           " -out /dev/null"),
              0);
    // The verifier compares names byte for byte and gets there through the repaired copy.
    Verification v = verify(renamed);
    ASSERT_EQ(v.hr, S_OK);
    EXPECT_EQ(v.result, 1);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, 0) << v.statuses[0].description;
    EXPECT_EQ(v.statuses[0].subject, "CN=Firmante Teletex, C=ES");
}
