#include "platform/crypt/EnvelopedDataDecoder.h"

#include <algorithm>
#include <climits>
#include <optional>

#include <openssl/objects.h>

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/DerReader.h"
#include "stream/exceptions/StreamException.h"

namespace platform::crypt {

namespace {

// The plaintext is read from the cipher in pieces of this size.
constexpr size_t kPiece = size_t{1} << 20;

// A message whose encrypted content was taken out, and where that content lies.
struct Trimmed {
    Bytes message;
    const unsigned char* content = nullptr;
    size_t size = 0;
};

Bytes range(const unsigned char* from, const unsigned char* to) {
    return Bytes(from, to);
}

// ContentInfo { envelopedData, [0] EnvelopedData { version, [0] originatorInfo OPTIONAL,
// recipientInfos, EncryptedContentInfo { contentType, contentEncryptionAlgorithm,
// [0] IMPLICIT encryptedContent }, [1] unprotectedAttrs OPTIONAL } } in DER, re-encoded
// without its encryptedContent. nullopt for anything else (BER, a constructed content, no
// content, another type): OpenSSL then reads the whole message.
std::optional<Trimmed> trimContent(const unsigned char* data, size_t size) {
    try {
        DerReader top(data, size);
        DerReader info = top.inside(top.expect(0x30));
        DerElement type = info.expect(0x06);
        if (oidText(type) != "1.2.840.113549.1.7.3") {
            return std::nullopt;
        }
        DerReader explicitContent = info.inside(info.expect(0xA0));
        DerElement enveloped = explicitContent.expect(0x30);
        DerReader fields = explicitContent.inside(enveloped);
        fields.expect(0x02);
        fields.skipIf(0xA0);
        fields.expect(0x31);
        DerElement encryptedInfo = fields.expect(0x30);
        DerReader encryptedFields = fields.inside(encryptedInfo);
        DerElement contentType = encryptedFields.expect(0x06);
        DerElement algorithm = encryptedFields.expect(0x30);
        if (encryptedFields.peekTag() != 0x80) {
            return std::nullopt;
        }
        DerElement content = encryptedFields.next();
        if (!encryptedFields.atEnd()) {
            return std::nullopt;
        }
        Bytes encryptedBody =
            range(contentType.begin(data), algorithm.begin(data) + algorithm.totalLength());
        Bytes newEncryptedInfo = der::tlv(0x30, encryptedBody);
        Bytes before = range(enveloped.value, encryptedInfo.begin(data));
        Bytes after = range(encryptedInfo.begin(data) + encryptedInfo.totalLength(),
                            enveloped.value + enveloped.length);
        Bytes newEnveloped = der::constructed(0x30, {&before, &newEncryptedInfo, &after});
        Bytes newExplicit = der::tlv(0xA0, newEnveloped);
        Bytes typeElement = range(type.begin(data), type.begin(data) + type.totalLength());
        return Trimmed{der::sequence({&typeElement, &newExplicit}), content.value, content.length};
    } catch (const stream::exceptions::StreamException&) {
        return std::nullopt;
    }
}

Bytes nameDer(X509_NAME* name) {
    return name == nullptr ? Bytes{} : derOf(name, i2d_X509_NAME);
}

Bytes stringBytes(const ASN1_STRING* s) {
    if (s == nullptr) {
        return {};
    }
    const unsigned char* p = ASN1_STRING_get0_data(s);
    return Bytes(p, p + ASN1_STRING_length(s));
}

RecipientId idOf(ASN1_OCTET_STRING* keyId, X509_NAME* issuer, ASN1_INTEGER* serial) {
    RecipientId id;
    if (keyId != nullptr) {
        id.byKeyIdentifier = true;
        id.keyIdentifier = stringBytes(keyId);
    } else {
        id.issuer = nameDer(issuer);
        id.serial = stringBytes(serial);
    }
    return id;
}

[[noreturn]] void raiseCleared(const char* file, int line, uint32_t code) {
    ERR_clear_error();
    raiseCrypt(file, line, code);
}

} // namespace

bool RecipientId::matches(const Certificate& certificate) const {
    if (byKeyIdentifier) {
        return certificate.keyIdentifier() == keyIdentifier;
    }
    return certificate.issuerDer() == issuer && certificate.serialBytes() == serial;
}

EnvelopedDataDecoder::EnvelopedDataDecoder(const unsigned char* data, size_t size) {
    if (std::optional<Trimmed> trimmed = trimContent(data, size)) {
        const unsigned char* p = trimmed->message.data();
        cms_.reset(d2i_CMS_ContentInfo(nullptr, &p, static_cast<long>(trimmed->message.size())));
        if (cms_) {
            encrypted_ = trimmed->content;
            encryptedSize_ = trimmed->size;
        }
        ERR_clear_error();
    }
    if (!cms_) {
        BioPtr in = memoryReader(data, size);
        cms_.reset(d2i_CMS_bio(in.get(), nullptr));
        if (!cms_) {
            raiseCleared(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
        }
    }
    if (OBJ_obj2nid(CMS_get0_type(cms_.get())) != NID_pkcs7_enveloped) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_INVALID_MSG_TYPE);
    }
}

EnvelopedDataDecoder::~EnvelopedDataDecoder() = default;

size_t EnvelopedDataDecoder::recipientCount() const {
    STACK_OF(CMS_RecipientInfo)* infos = CMS_get0_RecipientInfos(cms_.get());
    int n = infos == nullptr ? 0 : sk_CMS_RecipientInfo_num(infos);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

CMS_RecipientInfo* EnvelopedDataDecoder::recipientInfo(size_t index) const {
    if (index >= recipientCount()) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_INVALID_INDEX);
    }
    return sk_CMS_RecipientInfo_value(CMS_get0_RecipientInfos(cms_.get()), static_cast<int>(index));
}

EnvelopeRecipient EnvelopedDataDecoder::recipient(size_t index) const {
    CMS_RecipientInfo* info = recipientInfo(index);
    EnvelopeRecipient out;
    switch (CMS_RecipientInfo_type(info)) {
    case CMS_RECIPINFO_TRANS: {
        out.kind = RecipientKind::KeyTransport;
        ASN1_OCTET_STRING* keyId = nullptr;
        X509_NAME* issuer = nullptr;
        ASN1_INTEGER* serial = nullptr;
        if (CMS_RecipientInfo_ktri_get0_signer_id(info, &keyId, &issuer, &serial) == 1) {
            out.keys.push_back(idOf(keyId, issuer, serial));
        }
        break;
    }
    case CMS_RECIPINFO_AGREE: {
        out.kind = RecipientKind::KeyAgreement;
        STACK_OF(CMS_RecipientEncryptedKey)* keys = CMS_RecipientInfo_kari_get0_reks(info);
        for (int i = 0; keys != nullptr && i < sk_CMS_RecipientEncryptedKey_num(keys); ++i) {
            ASN1_OCTET_STRING* keyId = nullptr;
            ASN1_GENERALIZEDTIME* date = nullptr;
            CMS_OtherKeyAttribute* other = nullptr;
            X509_NAME* issuer = nullptr;
            ASN1_INTEGER* serial = nullptr;
            if (CMS_RecipientEncryptedKey_get0_id(sk_CMS_RecipientEncryptedKey_value(keys, i),
                                                  &keyId, &date, &other, &issuer, &serial) == 1) {
                out.keys.push_back(idOf(keyId, issuer, serial));
            }
        }
        break;
    }
    default:
        break;
    }
    ERR_clear_error();
    return out;
}

std::string EnvelopedDataDecoder::contentType() const {
    const ASN1_OBJECT* type = CMS_get0_eContentType(cms_.get());
    char text[128];
    int n = type == nullptr ? -1 : OBJ_obj2txt(text, sizeof text, type, 1);
    return n > 0 && static_cast<size_t>(n) < sizeof text ? std::string(text, n) : std::string();
}

void EnvelopedDataDecoder::openContentKey(CMS_RecipientInfo* info, size_t keyIndex,
                                          const PrivateKey& key) {
    int opened = 0;
    switch (CMS_RecipientInfo_type(info)) {
    case CMS_RECIPINFO_TRANS:
        if (keyIndex != 0) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_INVALID_INDEX);
        }
        // The recipient holds the key for the call only: set0 takes a reference, and setting
        // null afterwards gives it back.
        EVP_PKEY_up_ref(key.get());
        CMS_RecipientInfo_set0_pkey(info, key.get());
        opened = CMS_RecipientInfo_decrypt(cms_.get(), info);
        CMS_RecipientInfo_set0_pkey(info, nullptr);
        break;
    case CMS_RECIPINFO_AGREE: {
        STACK_OF(CMS_RecipientEncryptedKey)* keys = CMS_RecipientInfo_kari_get0_reks(info);
        if (keys == nullptr ||
            keyIndex >= static_cast<size_t>(sk_CMS_RecipientEncryptedKey_num(keys))) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_INVALID_INDEX);
        }
        // The originator's public key comes from the message itself.
        if (CMS_RecipientInfo_kari_set0_pkey_and_peer(info, key.get(), nullptr) == 1) {
            opened = CMS_RecipientInfo_kari_decrypt(
                cms_.get(), info,
                sk_CMS_RecipientEncryptedKey_value(keys, static_cast<int>(keyIndex)));
        }
        CMS_RecipientInfo_kari_set0_pkey(info, nullptr);
        break;
    }
    default:
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_INVALID_INDEX);
    }
    if (opened != 1) {
        raiseCleared(__FILE__, __LINE__, errors::NTE_BAD_DATA);
    }
}

stream::ByteBuffer EnvelopedDataDecoder::decryptContent() {
    BioPtr source;
    size_t expected = encryptedSize_;
    if (encrypted_ != nullptr) {
        source = memoryReader(encrypted_, encryptedSize_);
    } else {
        ASN1_OCTET_STRING** held = CMS_get0_content(cms_.get());
        if (held == nullptr || *held == nullptr) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_MSG_ERROR);
        }
        expected = static_cast<size_t>(ASN1_STRING_length(*held));
    }
    BIO* chain = CMS_dataInit(cms_.get(), source.get());
    if (chain == nullptr) {
        raiseCleared(__FILE__, __LINE__, errors::NTE_BAD_ALGID);
    }
    // The cipher BIO heads the chain; the source (when ours) stays with its owner.
    auto release = [&](BIO* head) {
        if (source) {
            BIO_pop(head);
            BIO_free(head);
        } else {
            BIO_free_all(head);
        }
    };
    stream::ByteBuffer out;
    try {
        // The plaintext is never longer than the ciphertext.
        out.reserveExact(std::max<size_t>(expected, 1));
        out.prefault(expected);
        for (;;) {
            if (out.size() == out.capacity()) {
                out.reserve(out.capacity() + kPiece);
            }
            size_t room = std::min(kPiece, out.capacity() - out.size());
            int n = BIO_read(chain, out.data() + out.size(), static_cast<int>(room));
            if (n <= 0) {
                break;
            }
            out.setSize(out.size() + static_cast<size_t>(n));
        }
    } catch (...) {
        release(chain);
        throw;
    }
    bool good = BIO_get_cipher_status(chain) == 1;
    release(chain);
    if (!good) {
        raiseCleared(__FILE__, __LINE__, errors::NTE_BAD_DATA);
    }
    return out;
}

stream::ByteBuffer EnvelopedDataDecoder::decrypt(size_t index, size_t keyIndex,
                                                 const PrivateKey& key) {
    openContentKey(recipientInfo(index), keyIndex, key);
    return decryptContent();
}

} // namespace platform::crypt
