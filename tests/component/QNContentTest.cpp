#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "TestEnvironment.h"
#include "com/Com.h"
#include "component/content/QNCollection.h"
#include "component/content/QNContent.h"
#include "component/content/QNCryptoSystem.h"
#include "component/module/ErrorCodes.h"
#include "component/module/Module.h"
#include "component/module/SettingsTable.h"
#include "stream/Base64.h"
#include "stream/ByteBuffer.h"
#include "stream/Log.h"

using component::content::QNCollection;
using component::content::QNContent;
using component::content::QNCryptoSystem;
using component::module::Module;
using component::module::SettingsTable;
namespace codes = component::module;

namespace {

class ContentObject : public TestEnvironment {
protected:
    void SetUp() override {
        TestEnvironment::SetUp();
        Module::attach(path("libquillion2.so"));
        content_ = QNContent::create();
    }
    void TearDown() override {
        content_ = nullptr;
        Module::detach();
        TestEnvironment::TearDown();
    }
    std::string description() {
        IErrorInfo* info = nullptr;
        if (GetErrorInfo(0, &info) != S_OK) {
            return "<none>";
        }
        com::BStr text;
        info->GetDescription(text.out());
        info->Release();
        return text.utf8();
    }
    std::string bytes() const { return std::string(content_->content().buffer().view()); }
    // What a shell command prints (a peer tool run on a test file).
    static std::string output(const std::string& command) {
        std::string text;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return text;
        }
        char chunk[65536];
        size_t got = 0;
        while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) {
            text.append(chunk, got);
        }
        pclose(pipe);
        return text;
    }
    std::string log() {
        stream::Log::instance().flush();
        return read("QuillionCOM.log");
    }

    com::ComPtr<QNContent> content_;
};

} // namespace

TEST_F(ContentObject, TextAndBinaryMembers) {
    com::BStr out;
    EXPECT_EQ(content_->get_contentString(out.out()), S_OK);
    EXPECT_EQ(out.get(), nullptr); // empty content: null string
    ASSERT_EQ(content_->put_contentString(com::BStr(u"abc").get()), S_OK);
    ASSERT_EQ(content_->get_contentData(out.out()), S_OK);
    EXPECT_EQ(out.byteLength(), 3u);
    EXPECT_EQ(out.bytes(), "abc");
    ASSERT_EQ(content_->toBASE64(out.out()), S_OK);
    EXPECT_EQ(out.utf8(), "YWJj");
    EXPECT_EQ(content_->put_contentString(nullptr), S_OK); // null: nothing changes
    EXPECT_EQ(bytes(), "abc");

    com::BStr odd = com::BStr::fromBytes(std::string("a\0b", 3));
    ASSERT_EQ(content_->put_contentData(odd.get()), S_OK);
    EXPECT_EQ(bytes(), std::string("a\0b", 3));
    ASSERT_EQ(content_->get_contentString(out.out()), S_OK);
    EXPECT_EQ(out.utf8(), "a"); // up to the first U+0000
    EXPECT_EQ(content_->content().size(), 3u);

    ASSERT_EQ(content_->put_contentString(com::BStr(u"ñ").get()), S_OK);
    EXPECT_EQ(bytes(), "\xC3\xB1"); // the ANSI code page is UTF-8
}

TEST_F(ContentObject, Base64Decoding) {
    com::BStr out;
    ASSERT_EQ(content_->setBASE64(com::BStr(u"YW Jj\r\n").get()), S_OK);
    EXPECT_EQ(bytes(), "abc");
    ASSERT_EQ(content_->setBASE64(com::BStr(u"YWñ€J\u0161j").get()), S_OK);
    EXPECT_EQ(bytes(), "abc"); // characters outside the alphabet are skipped
    ASSERT_EQ(content_->setBASE64(com::BStr(u"YQ==").get()), S_OK);
    EXPECT_EQ(bytes(), "a");
    ASSERT_EQ(content_->setBASE64(com::BStr(u"YQ").get()), S_OK);
    EXPECT_EQ(bytes(), "a");
    ASSERT_EQ(content_->setBASE64(com::BStr(u"Y").get()), S_OK);
    EXPECT_EQ(bytes(), "");
    ASSERT_EQ(content_->toBASE64(out.out()), S_OK);
    EXPECT_EQ(out.get(), nullptr);
    std::string trace = log();
    size_t at = trace.find("TRACE: CContent::setBASE64");
    for (const char* step : {"TRACE: YQ==", "Antes de update", "Antes de finish", "Antes de attach",
                             "antes de asignacion", "Antes de delete", "Fin de setBASE64"}) {
        size_t next = trace.find(step, at);
        EXPECT_NE(next, std::string::npos) << step;
        at = next;
    }
}

TEST_F(ContentObject, NamedCharacterSets) {
    com::BStr out;
    EXPECT_EQ(content_->putContentStringEnc(com::BStr(u"A").get()), DISP_E_EXCEPTION);
    EXPECT_EQ(description(), "No se especificó un charset o encoding");
    EXPECT_EQ(content_->content().size(), 0u);
    ASSERT_EQ(content_->put_encoding(com::BStr(u"UTF-16BE").get()), S_OK);
    ASSERT_EQ(content_->putContentStringEnc(com::BStr(u"A").get()), S_OK);
    EXPECT_EQ(bytes(), std::string("\0A", 2));
    ASSERT_EQ(content_->getContentStringEnc(out.out()), S_OK);
    EXPECT_EQ(out.utf8(), "A");
    ASSERT_EQ(content_->get_encoding(out.out()), S_OK);
    EXPECT_EQ(out.utf8(), "UTF-16BE");
    content_->put_encoding(com::BStr(u"ISO-8859-1").get());
    ASSERT_EQ(content_->putContentStringEnc(com::BStr(u"ñ€").get()), S_OK);
    EXPECT_EQ(bytes(), "\xF1?");
    content_->put_encoding(com::BStr(u"UTF-16").get());
    ASSERT_EQ(content_->putContentStringEnc(com::BStr(std::u16string(u"a\0b", 3)).get()), S_OK);
    EXPECT_EQ(bytes(), std::string("a\0\0\0b\0", 6)); // UTF-16 keeps every unit
    content_->put_encoding(nullptr);
    EXPECT_EQ(content_->getContentStringEnc(out.out()), DISP_E_EXCEPTION);
}

TEST_F(ContentObject, FilesByPath) {
    write("in.bin", std::string("\x00\x01\xFF", 3));
    EXPECT_EQ(content_->loadFileWithPath(com::BStr(u"").get()), codes::QN_E_READ);
    EXPECT_EQ(description(), "No se ha podido leer el fichero.");
    ASSERT_EQ(content_->loadFileWithPath(com::BStr::fromUtf8(path("in.bin")).get()), S_OK);
    EXPECT_EQ(bytes(), std::string("\x00\x01\xFF", 3));
    EXPECT_EQ(content_->loadFileWithPath(com::BStr::fromUtf8(path("missing")).get()),
              codes::QN_E_READ);
    EXPECT_EQ(bytes(), std::string("\x00\x01\xFF", 3)); // untouched
    ASSERT_EQ(content_->saveFile(com::BStr::fromUtf8(path("out.bin")).get()), S_OK);
    EXPECT_EQ(read("out.bin"), std::string("\x00\x01\xFF", 3));
    EXPECT_EQ(content_->saveFile(com::BStr::fromUtf8(path("no/dir/out.bin")).get()),
              codes::QN_E_WRITE);
    EXPECT_EQ(description(), "No se ha podido escribir en fichero.");
    std::string trace = log();
    EXPECT_NE(trace.find("TRACE: CContent::loadFileWithPath: " + path("in.bin")),
              std::string::npos);
    EXPECT_NE(trace.find("TRACE: Cargados: 3 bytes"), std::string::npos);
    EXPECT_NE(trace.find("ERROR: No se ha podido escribir en fichero\r\n"), std::string::npos);

    ULONG size = 0;
    ASSERT_EQ(content_->getFileSizeByPath(com::BStr::fromUtf8(path("in.bin")).get(), &size), S_OK);
    EXPECT_EQ(size, 3u);
    ASSERT_EQ(content_->getFileSizeByPath(com::BStr::fromUtf8(path("missing")).get(), &size), S_OK);
    EXPECT_EQ(size, 0xFFFFFFFFu);
}

TEST_F(ContentObject, FilesOfFourGibibytesAndMore) {
    // A sparse file: 4 GiB + 5 bytes take no disk space.
    const std::string big = path("big.bin");
    write("big.bin", "");
    std::filesystem::resize_file(big, (uint64_t{1} << 32) + 5);
    ULONG size = 0;
    ASSERT_EQ(content_->getFileSizeByPath(com::BStr::fromUtf8(big).get(), &size), S_OK);
    EXPECT_EQ(size, 5u); // the low 32 bits
    // The content's size is 32 bits: such a file is refused, the content stays.
    content_->content().replace(std::string_view("kept"));
    EXPECT_EQ(content_->loadFileWithPath(com::BStr::fromUtf8(big).get()), codes::QN_E_READ);
    EXPECT_EQ(bytes(), "kept");
    ASSERT_EQ(content_->getFileSizeByPath(com::BStr::fromUtf8(dir_.string()).get(), &size), S_OK);
    EXPECT_EQ(size, 0u); // a folder has no size
}

// Files from 8 MiB up are read into large-page storage and Base64 of a long content takes the
// vector encoder: the bytes, the digest and the text must match what peer tools make of the
// same file (an odd size, so the text ends in padding).
TEST_F(ContentObject, LargeFilesAgreeWithOpensslAndBase64) {
    std::string data((9u << 20) + 2, '\0');
    uint32_t state = 12345;
    for (char& c : data) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    write("large.bin", data);
    const std::string file = path("large.bin");
    ASSERT_EQ(content_->loadFileWithPath(com::BStr::fromUtf8(file).get()), S_OK);
    ASSERT_EQ(content_->content().size(), data.size());
    EXPECT_TRUE(bytes() == data);

    SettingsTable::instance().set("HashAlgorithm", "2.16.840.1.101.3.4.2.1");
    com::BStr digest;
    ASSERT_EQ(content_->getHash(digest.out()), S_OK);
    std::string expected = output("openssl dgst -sha256 -r '" + file + "'");
    EXPECT_EQ(digest.utf8(), expected.substr(0, expected.find(' ')));

    com::BStr text;
    ASSERT_EQ(content_->toBASE64(text.out()), S_OK);
    std::string reference = output("base64 -w0 '" + file + "'");
    ASSERT_EQ(text.length(), reference.size());
    EXPECT_TRUE(text.utf8() == reference);
    // Two bytes over a multiple of 3: one padding character.
    EXPECT_EQ(reference.back(), '=');
    EXPECT_NE(reference[reference.size() - 2], '=');
}

// setBASE64 decodes the script's UTF-16 text straight into the new content: lengths on both
// sides of the codec's 4096-character buffer and of the 2 MiB and 3 MiB marks, zero bytes,
// and text with line breaks and characters above 0x7F (skipped, whatever their low byte is)
// at the ends and inside, decode to the bytes whose text it is.
TEST_F(ContentObject, SetBase64DecodesAroundEveryBlockSize) {
    const size_t threeMiBText = (3u << 20) / 4 * 3; // bytes whose text is 3 MiB characters
    std::vector<size_t> sizes = {0, 1, 2, 3, 4, 3071, 3072, 3073, 4095, 4096, 4097};
    for (size_t around : {threeMiBText, size_t(2u << 20)}) {
        for (size_t n = around - 2; n <= around + 2; ++n) {
            sizes.push_back(n);
        }
    }
    uint32_t state = 99;
    for (size_t n : sizes) {
        std::string data(n, '\0');
        for (size_t i = 0; i < n; ++i) {
            state = state * 1103515245u + 12345u;
            data[i] = i % 7 == 0 ? '\0' : static_cast<char>(state >> 24);
        }
        const std::string text = stream::Base64::encode(data);
        std::u16string plain(text.begin(), text.end());
        ASSERT_EQ(content_->setBASE64(com::BStr(plain).get()), S_OK) << n;
        EXPECT_EQ(content_->content().size(), n);
        EXPECT_TRUE(bytes() == data) << n;

        std::u16string noisy;
        noisy.reserve(plain.size() + plain.size() / 38 + 8);
        noisy.append({0x0141, u'\u00E9'});
        for (size_t i = 0; i < plain.size(); i += 76) {
            noisy.append(plain, i, 76);
            noisy.append({u'\r', u'\n', 0x2B2F});
        }
        noisy.append({0xD83D, 0xDE00, 0x0159});
        ASSERT_EQ(content_->setBASE64(com::BStr(noisy).get()), S_OK) << n;
        EXPECT_TRUE(bytes() == data) << n;

        com::BStr back;
        ASSERT_EQ(content_->toBASE64(back.out()), S_OK);
        EXPECT_TRUE(std::u16string_view(back.get(), back.length()) == plain) << n;
    }
}

// The decoded bytes replace what the content held, whether its storage is larger, smaller or
// the very place the text lies in.
TEST_F(ContentObject, SetBase64ReplacesContentOfAnySize) {
    const std::string big(100000, 'x');
    ASSERT_EQ(content_->put_contentData(com::BStr::fromBytes(big).get()), S_OK);
    ASSERT_EQ(content_->setBASE64(com::BStr(u"YWJj").get()), S_OK);
    EXPECT_EQ(bytes(), "abc");
    const std::string longer(300001, '\x01');
    const std::string text = stream::Base64::encode(longer);
    ASSERT_EQ(content_->setBASE64(com::BStr(std::u16string(text.begin(), text.end())).get()), S_OK);
    EXPECT_TRUE(bytes() == longer);

    // Narrow text taken from the content's own bytes.
    content_->content().replace(std::string_view("eA0KeQ=="));
    component::content::CContent& inner = content_->content();
    inner.setBASE64(inner.buffer().view());
    EXPECT_EQ(bytes(), "x\r\ny");
}

// A content whose Base64 text would pass the longest string (2^31 - 1 characters) is refused
// with E_OUTOFMEMORY before anything is allocated for the text. The content is untouched
// zero pages (calloc), so the test holds no 1.5 GiB in memory.
TEST_F(ContentObject, Base64TextPastTheLongestStringIsRefused) {
    const size_t size = size_t(3) << 29; // 1.5 GiB: 2^31 characters of text
    auto* storage = static_cast<unsigned char*>(std::calloc(1, size));
    ASSERT_NE(storage, nullptr);
    stream::ByteBuffer huge;
    huge.attach(storage, size, size, true);
    content_->content().replace(std::move(huge));
    com::BStr out;
    EXPECT_EQ(content_->toBASE64(out.out()), E_OUTOFMEMORY);
    EXPECT_EQ(out.get(), nullptr);
    EXPECT_EQ(content_->content().size(), size);
    content_->content().replace(stream::ByteBuffer());
}

TEST_F(ContentObject, DialogsWithScriptedAnswers) {
    write("in.txt", "hola");
    write("answers", "open=" + path("in.txt") + "\nopen=cancel\nopen=" + path("in.txt") +
                         "\nsave=" + path("saved.txt") + "\nsave=cancel\nsave=" + path("no/dir/x") +
                         "\n");
    setenv("QUILLION_UI_ANSWERS", path("answers").c_str(), 1);
    com::BStr out;
    ASSERT_EQ(content_->loadFileWithDialogTitle(com::BStr(u"Elija").get(), out.out()), S_OK);
    EXPECT_EQ(out.utf8(), path("in.txt"));
    EXPECT_EQ(bytes(), "hola");
    EXPECT_EQ(content_->loadFileWithDialog(nullptr), codes::QN_E_DIALOG_CANCELLED);
    EXPECT_EQ(description(), "El usuario canceló.");
    ASSERT_EQ(content_->getFilePathWithDialog(out.out()), S_OK);
    EXPECT_EQ(out.utf8(), path("in.txt"));
    ASSERT_EQ(content_->saveFileWithDialog(com::BStr(u"def.txt").get(), out.out()), S_OK);
    EXPECT_EQ(out.utf8(), path("saved.txt"));
    EXPECT_EQ(read("saved.txt"), "hola");
    EXPECT_EQ(content_->saveFileWithDialog(com::BStr(u"def.txt").get(), out.out()),
              codes::QN_E_DIALOG_CANCELLED);
    // The folder does not exist: the dialog does not accept it.
    EXPECT_EQ(content_->saveFileWithDialog(com::BStr(u"def.txt").get(), out.out()),
              codes::QN_E_DIALOG_CANCELLED);
    EXPECT_EQ(content_->getFilePathWithDialog(out.out()), codes::QN_E_DIALOG_CANCELLED);
    EXPECT_NE(log().find("INFO: El usuario canceló\r\n"), std::string::npos);
    unsetenv("QUILLION_UI_ANSWERS");
}

TEST_F(ContentObject, HashAlgorithms) {
    content_->content().replace(std::string_view("abc"));
    com::BStr out;
    SettingsTable::instance().set("HashAlgorithm", "2.16.840.1.101.3.4.2.1");
    ASSERT_EQ(content_->getHash(out.out()), S_OK);
    EXPECT_EQ(out.utf8(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    SettingsTable::instance().set("HashAlgorithm", "1.2.840.113549.2.5");
    ASSERT_EQ(content_->getHash(out.out()), S_OK);
    EXPECT_EQ(out.utf8(), "900150983cd24fb0d6963f7d28e17f72");
    SettingsTable::instance().set("HashAlgorithm", "1.2.840.113549.2.2");
    EXPECT_EQ(content_->getHash(out.out()), DISP_E_EXCEPTION);
    EXPECT_EQ(description(), "Error creando hash.");
    SettingsTable::instance().set("HashAlgorithm", "1.2.840.113549.2.4");
    EXPECT_EQ(content_->getHash(out.out()), DISP_E_EXCEPTION);
    SettingsTable::instance().set("HashAlgorithm", "");
    EXPECT_EQ(content_->getHash(out.out()), DISP_E_EXCEPTION);
    std::string trace = log();
    EXPECT_NE(trace.find("ERROR: Algoritmo MD2 no soportado"), std::string::npos);
    EXPECT_NE(trace.find("ERROR: Algoritmo MD4 no soportado"), std::string::npos);
    EXPECT_NE(trace.find("ERROR: Error creando hash->Invalid algorithm specified."),
              std::string::npos);
    EXPECT_NE(trace.find("INFO: 900150983cd24fb0d6963f7d28e17f72"), std::string::npos);
}

TEST_F(ContentObject, CollectionItemsAndBadIndexes) {
    com::ComPtr<QNCollection> list = QNCollection::create();
    LONG count = -1;
    ASSERT_EQ(list->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
    com::Variant item;
    EXPECT_EQ(list->get_Item(0, item.out()), codes::QN_E_BAD_INDEX);
    EXPECT_EQ(description(), "Indice incorrecto.");
    list->collection().append(com::Variant::fromUtf8("uno"));
    list->collection().append(com::Variant::fromBool(true));
    EXPECT_EQ(list->get_Item(-1, item.out()), codes::QN_E_BAD_INDEX);
    EXPECT_EQ(list->get_Item(2, item.out()), codes::QN_E_BAD_INDEX);
    ASSERT_EQ(list->get_Item(0, item.out()), S_OK);
    list = nullptr; // the string read survives the collection
    ASSERT_EQ(item.vt(), VT_BSTR);
    EXPECT_EQ(com::bstrToUtf8(item.get()->bstrVal), "uno");
    std::string trace = log();
    EXPECT_NE(trace.find("TRACE: CCollection::CCollection: "), std::string::npos);
    EXPECT_NE(trace.find("TRACE: CCollection::~CCollection: "), std::string::npos);
}

TEST_F(ContentObject, CryptoSystemModeAndSettings) {
    com::ComPtr<QNCryptoSystem> system = QNCryptoSystem::create();
    com::ComPtr<QNCryptoSystem> other = QNCryptoSystem::create();
    EXPECT_EQ(system->system().mode(), 0);
    ASSERT_EQ(system->setProperty(com::BStr(u"QN_MODE").get(), com::BStr(u"2").get()), S_OK);
    EXPECT_EQ(system->system().mode(), 3); // "2" is CMS
    system->setProperty(com::BStr(u"QN_MODE").get(), com::BStr(u"3").get());
    EXPECT_EQ(system->system().mode(), 2);
    system->setProperty(com::BStr(u"QN_MODE").get(), com::BStr(u"9").get());
    EXPECT_EQ(system->system().mode(), 2); // unknown value: mode kept
    EXPECT_EQ(SettingsTable::instance().get("QN_MODE"), "9");
    EXPECT_EQ(system->setMode(42), S_OK);
    EXPECT_EQ(system->system().mode(), 42);

    EXPECT_EQ(system->setProperty(com::BStr(u"XADES_1_3_2_SIGNEDPROPERTIES_NAMESPACE").get(),
                                  com::BStr(u"x").get()),
              E_FAIL);
    EXPECT_FALSE(SettingsTable::instance().contains("XADES_1_3_2_SIGNEDPROPERTIES_NAMESPACE"));
    ASSERT_EQ(
        system->setProperty(com::BStr(u"HashAlgorithm").get(), com::BStr(u"1.3.14.3.2.26").get()),
        S_OK);
    EXPECT_EQ(SettingsTable::instance().get("HashAlgorithm"), "1.3.14.3.2.26");
    EXPECT_EQ(other->system().mode(), 0); // the mode is per object, settings are shared

    EXPECT_EQ(system->setInitProperty(com::BStr(u"").get(), com::BStr(u"1.3.2").get()), E_FAIL);
    EXPECT_EQ(system->setInitProperty(com::BStr(u"HashAlgorithm").get(), nullptr), E_FAIL);
    EXPECT_EQ(system->setInitProperty(com::BStr(u"XADES_1_3_2_NAMESPACE").get(), nullptr), S_OK);

    system->addTrustEntity(com::BStr(u"CN=ACME.*").get());
    system->addRestriction(com::BStr(u"Subject|O").get(), com::BStr(u"ACME").get());
    EXPECT_EQ(system->system().restrictions(), (std::vector<std::string>{"Subject|O", "ACME"}));
    EXPECT_EQ(system->system().trustEntities(), (std::vector<std::string>{"CN=ACME.*"}));
    EXPECT_EQ(system->clearRestrictionsAndTrustEntities(), S_OK);
    EXPECT_TRUE(system->system().restrictions().empty());

    std::string trace = log();
    EXPECT_NE(trace.find("INFO: Property: name=QN_MODE, value=2"), std::string::npos);
    EXPECT_NE(trace.find("INFO: MODE: 42"), std::string::npos);
    EXPECT_NE(
        trace.find("ERROR: CryptoSystem::setProperty:: No se puede establecer esta propiedad"),
        std::string::npos);
}
