#include "component/envelopes/RawRsaCipher.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "component/envelopes/RawRsaKeyBlob.h"
#include "component/module/ModuleLog.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/RsaKey.h"
#include "stream/exceptions/CryptException.h"

namespace component::envelopes {

namespace {

using platform::crypt::ByteOrder;
using platform::crypt::raiseCrypt;
namespace errors = platform::crypt::errors;

constexpr char kNotImported[] =
    "CQNSignData_Internal_PKCS7::sign no se importo la clave correctamente.";

[[noreturn]] void fail(const char* logLine, int line, uint32_t code) {
    if (logLine != nullptr) {
        module::logTrace(logLine);
    }
    raiseCrypt(RawRsaCipher::kSource, line, code);
}

template <class Key, class Import>
Key importKey(const std::vector<unsigned char>& blob, int line, Import import) {
    try {
        return import(blob);
    } catch (const stream::exceptions::CryptException& e) {
        fail(kNotImported, line, e.errorCode());
    }
}

} // namespace

stream::ByteBuffer RawRsaCipher::encrypt(const unsigned char* key, size_t keySize,
                                         const unsigned char* content, size_t size) {
    const platform::crypt::PublicKey publicKey = importKey<platform::crypt::PublicKey>(
        RawRsaKeyBlob::publicBlob(key, keySize), kLineEncryptImport,
        [](const std::vector<unsigned char>& blob) {
            return platform::crypt::PublicKey::fromBlob(blob);
        });
    const int bits = publicKey.bits();
    if (bits <= 0) {
        fail("Tamaño de bloque para cifrar no encontrado", kLineEncryptBlockLength,
             errors::NTE_BAD_LEN);
    }
    const size_t block = publicKey.size();
    const size_t bytes = static_cast<size_t>(bits) / 8;
    if (bytes <= 11 || block < bytes) {
        fail("Tamaño de bloque para cifrar no encontrado", kLineEncryptChunk, errors::NTE_BAD_LEN);
    }
    const size_t chunk = bytes - 11;
    const size_t full = size / chunk;
    if (full >= SIZE_MAX / block - 1) {
        fail(nullptr, kLineEncryptBlock, errors::NTE_BAD_LEN);
    }
    stream::ByteBuffer out;
    out.reserveExact((full + 1) * block);
    std::vector<unsigned char> plain(chunk);
    for (size_t i = 0; i <= full; ++i) {
        const size_t from = i * chunk;
        const size_t n = std::min(chunk, size - from);
        std::fill(plain.begin(), plain.end(), 0);
        std::copy(content + from, content + from + n, plain.begin());
        if (i == full) {
            plain[n] = kEndMarker; // n < chunk: the last chunk always has room for it
        }
        try {
            std::vector<unsigned char> cipher = publicKey.encrypt(plain, ByteOrder::LittleEndian);
            out.append(cipher.data(), cipher.size());
        } catch (const stream::exceptions::CryptException& e) {
            fail(nullptr, kLineEncryptBlock, e.errorCode());
        }
    }
    return out;
}

stream::ByteBuffer RawRsaCipher::decrypt(const unsigned char* key, size_t keySize,
                                         const unsigned char* content, size_t size) {
    const platform::crypt::PrivateKey privateKey = importKey<platform::crypt::PrivateKey>(
        RawRsaKeyBlob::privateBlob(key, keySize), kLineDecryptImport,
        [](const std::vector<unsigned char>& blob) {
            return platform::crypt::PrivateKey::fromBlob(blob);
        });
    const int bits = EVP_PKEY_get_bits(privateKey.get());
    if (bits <= 0) {
        fail("Tamaño de bloque para descifrar no encontrado", kLineDecryptBlockLength,
             errors::NTE_BAD_LEN);
    }
    const size_t block = static_cast<size_t>(bits) / 8;
    if (block == 0 || size % block != 0) {
        fail("Tamaño del archivo no es multiplo del tamaño de bloque a cifrar", kLineDecryptSize,
             errors::NTE_BAD_LEN);
    }
    stream::ByteBuffer out;
    out.reserveExact(size);
    for (size_t from = 0; from < size; from += block) {
        std::vector<unsigned char> cipher(content + from, content + from + block);
        try {
            std::vector<unsigned char> plain = privateKey.decrypt(cipher, ByteOrder::LittleEndian);
            out.append(plain.data(), plain.size());
        } catch (const stream::exceptions::CryptException& e) {
            fail(("Bloque " + std::to_string(from / block) + " no descifrado").c_str(),
                 kLineDecryptBlock, e.errorCode());
        }
    }
    // The last chunk ends in the marker and zeros; nothing at all is the empty content.
    size_t end = out.size();
    while (end > 0 && out.data()[end - 1] == 0) {
        --end;
    }
    if (size != 0) {
        if (end == 0 || out.data()[end - 1] != kEndMarker) {
            fail("Marca de fin de contenido no encontrada", kLineDecryptMarker,
                 errors::NTE_BAD_DATA);
        }
        --end;
    }
    out.setSize(end);
    return out;
}

} // namespace component::envelopes
