#include "component/content/CContent.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "component/module/ComponentError.h"
#include "component/module/ErrorCodes.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingsTable.h"
#include "platform/crypt/Digest.h"
#include "platform/system/Charset.h"
#include "platform/ui/UserInteraction.h"
#include "stream/Base64.h"
#include "stream/FileInputStream.h"
#include "stream/FileOutputStream.h"
#include "stream/Log.h"
#include "stream/RawCodecs.h"
#include "stream/exceptions/StreamException.h"
#include "stream/exceptions/Win32ErrorException.h"

namespace component::content {

using module::ComponentError;
using module::logError;
using module::logInfo;
using module::logTrace;
using platform::system::Charset;

namespace {

constexpr char kReadFailed[] = "No se ha podido leer el fichero";
constexpr char kReadError[] = "No se ha podido leer el fichero.";
constexpr char kWriteFailed[] = "No se ha podido escribir en fichero";
constexpr char kWriteError[] = "No se ha podido escribir en fichero.";
constexpr char kCancelled[] = "El usuario canceló";
constexpr char kCancelledError[] = "El usuario canceló.";
constexpr char kNoCharset[] = "No se especificó un charset o encoding";

// The dialogs' file-name buffer holds 2600 characters with the terminator.
constexpr size_t kDialogBuffer = 2600;

// How much of a TRACE text the log keeps at most: the target's line limit and the few bytes
// beyond it that let it cut at a character boundary. Longer texts need not be made whole.
size_t traceTextLength() {
    size_t limit = stream::Log::instance().lineLimit();
    return limit > SIZE_MAX - 8 ? SIZE_MAX : limit + 8;
}

// The Base64 text of the pieces, one after the other, or at least its first `characters`
// characters: whole groups of three bytes give the characters they give in the whole text.
std::string base64Text(const std::vector<std::string_view>& pieces, size_t characters) {
    size_t wanted = characters / 4 * 3 + 3;
    stream::Base64 encoder(stream::Base64::ENCODE, 4096);
    std::string text;
    bool whole = true;
    for (std::string_view piece : pieces) {
        if (piece.size() > wanted) {
            piece = piece.substr(0, wanted);
            whole = false;
        }
        encoder.update(reinterpret_cast<const unsigned char*>(piece.data()), piece.size(), text);
        wanted -= piece.size();
    }
    if (whole) {
        encoder.finish(text);
    }
    return text;
}

std::u16string upToFirstZero(std::u16string text) {
    size_t zero = text.find(u'\0');
    if (zero != std::u16string::npos) {
        text.resize(zero);
    }
    return text;
}

// Cuts UTF-8 text to at most max bytes without splitting a character.
std::string cutUtf8(const std::string& text, size_t max) {
    if (text.size() <= max) {
        return text;
    }
    size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

} // namespace

CContent::CContent() {
    logTrace("CContent::CContent: " + std::to_string(module::addressNumber(this)));
}

CContent::~CContent() = default;

void CContent::replace(stream::ByteBuffer&& bytes) noexcept {
    content_.takeOver(bytes);
}

void CContent::replace(std::string_view bytes) {
    stream::ByteBuffer fresh;
    fresh.append(bytes);
    content_.takeOver(fresh);
}

void CContent::terminate() {
    size_t n = content_.size();
    if (n == 0 || content_.data()[n - 1] == 0) {
        return;
    }
    if (content_.capacity() < n + 1) {
        content_.reserve(n + 1);
    }
    content_.data()[n] = 0;
}

std::u16string CContent::getContentString() {
    logTrace("CContent::get_contentString");
    if (content_.empty()) {
        return std::u16string();
    }
    terminate();
    return upToFirstZero(Charset::decode(Charset::Kind::Ansi, content_.data(), content_.size()));
}

void CContent::putContentString(std::u16string_view text) {
    logTrace("CContent::put_contentString");
    content_.clear();
    std::string bytes = Charset::toAnsi(text);
    content_.append(std::string_view(bytes.c_str()));
}

std::u16string CContent::getContentStringEnc() {
    logTrace("CContent::get_contentString");
    if (content_.empty()) {
        return std::u16string();
    }
    terminate();
    if (encoding_.empty()) {
        throw ComponentError(kNoCharset, 0, true);
    }
    Charset::Kind kind = Charset::fromName(encoding_);
    return upToFirstZero(Charset::decode(kind, content_.data(), content_.size()));
}

void CContent::putContentStringEnc(std::u16string_view text) {
    logTrace("CContent::put_contentString");
    content_.clear();
    if (encoding_.empty()) {
        throw ComponentError(kNoCharset, 0, true);
    }
    Charset::Kind kind = Charset::fromName(encoding_);
    std::string bytes = Charset::encode(kind, text);
    if (Charset::isByteOriented(kind)) {
        content_.append(std::string_view(bytes.c_str()));
    } else {
        content_.append(bytes);
    }
}

size_t CContent::base64Length() const noexcept {
    return (content_.size() + 2) / 3 * 4;
}

void CContent::toBASE64(char16_t* out) const {
    // The same text as one update and a finish of the streaming encoder, written straight
    // into the caller's UTF-16 storage.
    stream::base64EncodeRawWide(out, content_.data(), content_.size());
}

std::string CContent::toBASE64() const {
    logTrace("CContent::toBASE64");
    stream::Base64 encoder(stream::Base64::ENCODE, 4096);
    std::string text;
    text.reserve(base64Length());
    encoder.update(content_.data(), content_.size(), text);
    encoder.finish(text);
    return text;
}

void CContent::setBASE64(std::string_view text) {
    logTrace("CContent::setBASE64");
    logTrace(text);
    decodeBase64(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

void CContent::setBASE64(std::u16string_view text) {
    logTrace("CContent::setBASE64");
    if (module::logEnabled(stream::LOG_TRACE)) {
        logTrace(Charset::toAnsi(text.substr(0, traceTextLength())));
    }
    // Every character outside the Base64 alphabet is skipped, so a character above 0x7F,
    // whatever its ANSI bytes, decodes like any byte above 0x7F: the UTF-16 units are
    // decoded as they are.
    decodeBase64(text.data(), text.size());
}

template <class Update, class Finish, class Assign>
void CContent::setBASE64Steps(Update&& update, Finish&& finish, Assign&& assign) {
    logTrace("Antes de update");
    update();
    logTrace("Antes de finish");
    finish();
    logTrace("Antes de attach");
    logTrace("antes de asignacion");
    assign();
    logTrace("Antes de delete");
    logTrace("Fin de setBASE64");
}

template <typename Unit> void CContent::decodeBase64(const Unit* text, size_t length) {
    stream::Base64 decoder(stream::Base64::DECODE, 4096);
    // Room for every byte the text can give (finish adds at most 2) and the 0 that reading
    // the content as text may put after them, backed with memory in one request: the text is
    // decoded straight into it. That is the content's own storage, grown where it lies, unless
    // the text lies in it: its old bytes are not needed once decoding starts, and decoding
    // cannot fail then. When growing fails the content is left as it was.
    const size_t room = decoder.decodeRoom(length) + 3;
    const auto at = reinterpret_cast<uintptr_t>(text);
    const auto own = reinterpret_cast<uintptr_t>(content_.data());
    const bool inside = own != 0 && at >= own && at - own < content_.capacity();
    stream::ByteBuffer fresh;
    stream::ByteBuffer& target = inside ? fresh : content_;
    const size_t kept = target.size();
    target.clear();
    try {
        target.reserve(room);
    } catch (...) {
        target.setSize(kept);
        throw;
    }
    target.prefault(room);
    size_t written = 0;
    setBASE64Steps([&] { written = decoder.decodeInto(text, length, target.data()); },
                   [&] {
                       written += decoder.finishInto(target.data() + written);
                       target.setSize(written);
                   },
                   [&] {
                       if (inside) {
                           content_.takeOver(fresh);
                       }
                   });
}

std::string_view CContent::toBASE64Bytes() const {
    logTrace("CContent::toBASE64");
    return content_.view();
}

void CContent::setBASE64Bytes(const std::vector<std::string_view>& pieces) {
    logTrace("CContent::setBASE64");
    if (module::logEnabled(stream::LOG_TRACE)) {
        logTrace(base64Text(pieces, traceTextLength()));
    }
    setBASE64Steps(
        [&] {
            size_t total = 0;
            for (std::string_view piece : pieces) {
                total += piece.size();
            }
            // Grown before anything is dropped, so that a failure leaves the content as it
            // was; a large block grows where it lies instead of being copied.
            content_.reserve(total);
            content_.clear();
            for (std::string_view piece : pieces) {
                content_.append(piece);
            }
        },
        [] {}, [] {});
}

void CContent::setBASE64Bytes(stream::ByteBuffer&& bytes) {
    logTrace("CContent::setBASE64");
    if (module::logEnabled(stream::LOG_TRACE)) {
        logTrace(base64Text({bytes.view()}, traceTextLength()));
    }
    setBASE64Steps([] {}, [] {}, [&] { content_.takeOver(bytes); });
}

stream::ByteBuffer CContent::readFile(const std::string& path) {
    stream::FileInputStream input(path);
    // One byte more so that reading the content as text needs no new storage.
    stream::ByteBuffer bytes = input.readToEnd(kMaxSize, 1);
    input.close();
    return bytes;
}

void CContent::loadWhole(const std::string& path) {
    stream::ByteBuffer bytes;
    try {
        bytes = readFile(path);
    } catch (const stream::exceptions::StreamException&) {
        logTrace(kReadFailed);
        throw ComponentError(kReadError, module::QN_E_READ);
    }
    content_.takeOver(bytes);
}

void CContent::writeFile(const std::string& path) const {
    stream::FileOutputStream output(path);
    output.write(content_.data(), content_.size());
    output.close();
}

void CContent::saveFile(const std::string& path) {
    logTrace("CContent::saveFile");
    logInfo(path);
    try {
        writeFile(path);
    } catch (const stream::exceptions::StreamException&) {
        logError(kWriteFailed);
        throw ComponentError(kWriteError, module::QN_E_WRITE);
    }
}

void CContent::loadFileWithPath(const std::string& path) {
    logTrace("CContent::loadFileWithPath: " + path);
    if (path.empty()) {
        throw ComponentError(kReadError, module::QN_E_READ);
    }
    loadWhole(path);
    logTrace("Cargados: " + std::to_string(content_.size()) + " bytes");
}

std::string CContent::openDialog(const std::string& title) {
    auto chosen = platform::ui::current().openFile(title);
    if (!chosen) {
        logInfo(kCancelled);
        throw ComponentError(kCancelledError, module::QN_E_DIALOG_CANCELLED);
    }
    return *chosen;
}

std::string CContent::loadFileWithDialog(const std::string& title) {
    logTrace("CContent::loadFileWithDialog");
    std::string path = openDialog(title);
    loadWhole(path);
    return path;
}

std::string CContent::getFilePathWithDialog() {
    logTrace("CContent::loadFileWithDialog");
    return openDialog("");
}

void CContent::saveFileWithDialog(const std::string& defaultName, std::string& chosenPath) {
    logTrace("CContent::saveFileWithDialog");
    auto chosen = platform::ui::current().saveFile(cutUtf8(defaultName, kDialogBuffer - 1));
    if (!chosen) {
        logInfo(kCancelled);
        throw ComponentError(kCancelledError, module::QN_E_DIALOG_CANCELLED);
    }
    chosenPath = *chosen;
    logTrace("Volcando datos en " + chosenPath);
    try {
        writeFile(chosenPath);
    } catch (const stream::exceptions::StreamException&) {
        logError(kWriteFailed);
        throw ComponentError(kWriteError, module::QN_E_WRITE);
    }
    logTrace("Tamaño: " + std::to_string(content_.size()));
}

std::optional<std::string> CContent::getHash() {
    logInfo("getHash()");
    std::string algorithm = module::SettingsTable::instance().get("HashAlgorithm");
    // The platform context is acquired in process: on this platform it always succeeds, so
    // the "Error obteniendo el contexto" outcome never happens.
    std::optional<platform::crypt::HashAlgorithm> chosen;
    if (algorithm == "2.16.840.1.101.3.4.2.1") {
        chosen = platform::crypt::HashAlgorithm::SHA256;
    } else if (algorithm == "1.2.840.113549.2.5") {
        chosen = platform::crypt::HashAlgorithm::MD5;
    } else if (algorithm == "1.3.14.3.2.26") {
        chosen = platform::crypt::HashAlgorithm::SHA1;
    } else if (algorithm == "1.2.840.113549.2.2") {
        logError("Algoritmo MD2 no soportado");
    } else if (algorithm == "1.2.840.113549.2.4") {
        logError("Algoritmo MD4 no soportado");
    }
    if (!chosen) {
        // NTE_BAD_ALGID, what the platform answers for a hash without an algorithm.
        stream::Log::instance().logWin32(stream::LOG_ERROR, "Error creando hash", 0x80090008u);
        throw ComponentError("Error creando hash.", 0, true);
    }
    std::vector<unsigned char> digest;
    try {
        platform::crypt::Digest hash(*chosen);
        hash.update(content_.data(), content_.size());
        digest = hash.finish();
    } catch (const stream::exceptions::Win32ErrorException& e) {
        stream::Log::instance().logWin32(stream::LOG_ERROR, "Error calculando hash", e.errorCode());
        throw ComponentError("Error calculando hash.", 0, true);
    }
    if (digest.empty()) {
        logError("Tamaño del hash no válido");
        throw ComponentError("Tamaño del hash no valido.", 0, true);
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(digest.size() * 2);
    for (unsigned char byte : digest) {
        text.push_back(kHex[byte >> 4]);
        text.push_back(kHex[byte & 0x0F]);
    }
    logInfo(text);
    return text;
}

uint32_t CContent::getFileSizeByPath(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return 0xFFFFFFFFu;
    }
    if (!S_ISREG(info.st_mode)) {
        return 0; // a folder or device opened for its attributes has no size
    }
    return static_cast<uint32_t>(static_cast<uint64_t>(info.st_size) & 0xFFFFFFFFu);
}

} // namespace component::content
