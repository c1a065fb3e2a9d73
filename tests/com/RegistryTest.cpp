#include "TestHome.h"

#include "com/Com.h"

#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr const char* kClsidKey = "CLSID\\{FA716EF6-BB7F-4F50-BE8B-1695477BD4A2}";

} // namespace

TEST(Registry, FileLivesInQuillionHome) {
    TestHome home;
    EXPECT_EQ(com::Registry::filePath(), home.home() + "/registry");
    unsetenv("QUILLION_HOME");
    std::string saved = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/nonexistent/user", 1);
    EXPECT_EQ(com::Registry::filePath(), "/nonexistent/user/.quillion/registry");
    setenv("HOME", saved.c_str(), 1);
}

TEST(Registry, ValuesRoundTripThroughTheFile) {
    TestHome home;
    std::string inproc = std::string(kClsidKey) + "\\InprocServer32";
    ASSERT_EQ(com::Registry::setValue(inproc, "", "/opt/q \"x\"\\libquillion2.so"), S_OK);
    ASSERT_EQ(com::Registry::setValue(inproc, "ThreadingModel", "both"), S_OK);
    ASSERT_EQ(com::Registry::setValue(kClsidKey, "", "QNContent Class"), S_OK);
    std::string text = readAll(com::Registry::filePath());
    EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\CLSID\\{FA716EF6-BB7F-4F50-BE8B-1695477BD4A2}"
                        "\\InprocServer32]\n@=\"/opt/q \\\"x\\\"\\\\libquillion2.so\"\n"
                        "\"ThreadingModel\"=\"both\"\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(com::Registry::value(inproc), "/opt/q \"x\"\\libquillion2.so");
    EXPECT_EQ(com::Registry::value("hkey_classes_root\\clsid\\{fa716ef6-bb7f-4f50-be8b-"
                                   "1695477bd4a2}\\inprocserver32",
                                   "threadingmodel"),
              "both")
        << "keys and names are case-insensitive";
    EXPECT_FALSE(com::Registry::value(inproc, "Missing"));
    EXPECT_EQ(com::Registry::subKeys(kClsidKey), std::vector<std::string>{"InprocServer32"});
    ASSERT_EQ(com::Registry::setValue("MIME\\Database\\Content Type\\text/xml", "Lines", "a\r\nb"),
              S_OK);
    EXPECT_EQ(com::Registry::value("MIME\\Database\\Content Type\\text/xml", "Lines"), "a\r\nb");
    EXPECT_EQ(com::Registry::subKeys("MIME\\Database\\Content Type"),
              std::vector<std::string>{"text/xml"});
    ASSERT_EQ(com::Registry::setValue(inproc, "ThreadingModel", "Apartment"), S_OK);
    EXPECT_EQ(com::Registry::values(inproc).size(), 2u) << "a value is replaced, not added";
}

TEST(Registry, DeleteTreeRemovesTheKeyAndItsSubkeysOnly) {
    TestHome home;
    com::Registry::setValue(std::string(kClsidKey) + "\\InprocServer32", "", "a");
    com::Registry::setValue(std::string(kClsidKey) + "\\ProgID", "", "Quillion2.QNContent.1");
    com::Registry::setValue("CLSID\\{FA716EF6-BB7F-4F50-BE8B-1695477BD4A2}X", "", "sibling");
    ASSERT_EQ(com::Registry::deleteTree(kClsidKey), S_OK);
    EXPECT_FALSE(com::Registry::hasKey(kClsidKey));
    EXPECT_FALSE(com::Registry::hasKey(std::string(kClsidKey) + "\\ProgID"));
    EXPECT_TRUE(com::Registry::hasKey("CLSID\\{FA716EF6-BB7F-4F50-BE8B-1695477BD4A2}X"));
    EXPECT_TRUE(com::Registry::hasKey("CLSID"));
    EXPECT_EQ(com::Registry::deleteTree(kClsidKey), REGDB_E_KEYMISSING);
}

TEST(Registry, ParsingSkipsWhatItDoesNotKnow) {
    com::RegistryFile file =
        com::RegistryFile::parse("Windows Registry Editor Version 5.00\r\n\r\n"
                                 "; a comment\r\n"
                                 "[HKEY_CLASSES_ROOT\\Quillion2.QNContent\\CLSID]\r\n"
                                 "@=\"{FA716EF6-BB7F-4F50-BE8B-1695477BD4A2}\"\r\n"
                                 "\"broken\r\n"
                                 "garbage line\r\n"
                                 "[-HKEY_CLASSES_ROOT\\Removed]\r\n"
                                 "\"ignored\"=\"x\"\r\n"
                                 "[HKEY_CLASSES_ROOT\\Other]\r\n"
                                 "\"multi\"=\"line\\nvalue\"");
    EXPECT_EQ(file.value("Quillion2.QNContent\\CLSID"), "{FA716EF6-BB7F-4F50-BE8B-1695477BD4A2}");
    EXPECT_FALSE(file.hasKey("Removed"));
    EXPECT_EQ(file.value("Other", "multi"), "line\nvalue");
    com::RegistryFile again = com::RegistryFile::parse(file.serialize());
    EXPECT_EQ(again.serialize(), file.serialize());
    EXPECT_EQ(again.value("Other", "multi"), "line\nvalue");
}

TEST(Registry, ConcurrentWritersLoseNothingAndReadersSeeWholeFiles) {
    TestHome home;
    constexpr int kThreads = 4;
    constexpr int kWrites = 40;
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done) {
            std::string text = readAll(com::Registry::filePath());
            if (!text.empty() &&
                (text.rfind("Windows Registry Editor", 0) != 0 || text.back() != '\n')) {
                ++torn;
            }
        }
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < kWrites; ++i) {
                com::Registry::setValue("Test\\Writer" + std::to_string(t), "v" + std::to_string(i),
                                        std::to_string(i));
            }
        });
    }
    for (auto& w : writers) {
        w.join();
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(com::Registry::values("Test\\Writer" + std::to_string(t)).size(),
                  static_cast<std::size_t>(kWrites));
    }
    // no temporary file is left behind
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.home())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp."), std::string::npos);
        ++entries;
    }
    EXPECT_EQ(entries, 2); // registry and registry.lock
}

TEST(Registry, KeysTheFileCannotHoldAreRefused) {
    TestHome home;
    EXPECT_EQ(com::Registry::setValue("Bad\nKey", "", "x"), E_INVALIDARG);
    EXPECT_EQ(com::Registry::createKey("HKEY_CLASSES_ROOT\\"), E_INVALIDARG);
    com::Registry::setValue("Good", "line\nname", "v");
    com::RegistryFile file = com::Registry::snapshot();
    EXPECT_EQ(file.keys(), std::vector<std::string>{"Good"});
    EXPECT_EQ(file.value("Good", "line\nname"), "v");
}

TEST(Registry, AFailedEditLeavesTheFileAlone) {
    TestHome home;
    com::Registry::setValue("Keep", "", "me");
    std::string before = readAll(com::Registry::filePath());
    EXPECT_EQ(com::Registry::update([](com::RegistryFile& file) {
                  file.deleteTree("Keep");
                  return E_FAIL;
              }),
              E_FAIL);
    EXPECT_EQ(readAll(com::Registry::filePath()), before);
}

TEST(Registry, AnUnwritableHomeIsReported) {
    setenv("QUILLION_HOME", "/proc/quillion-cannot-exist", 1);
    EXPECT_EQ(com::Registry::setValue("A", "", "b"), REGDB_E_WRITEREGDB);
    EXPECT_FALSE(com::Registry::value("A"));
    unsetenv("QUILLION_HOME");
}

TEST(Registration, TypeLibraryAndCategories) {
    TestHome home;
    const GUID libid = com::makeGuid("01AF4F8C-3F16-494E-8152-999D694B1A94");
    const IID iid = com::makeGuid("20844F08-4532-477B-A9FA-46D9E4217902");
    com::TypeLibRegistration t;
    t.libid = libid;
    t.helpString = "Quillion2 1.0 Type Library";
    t.modulePath = "/opt/quillion/libquillion2.so";
    t.helpDir = "/opt/quillion";
    t.interfaces.push_back({iid, "IQNContent"});
    ASSERT_EQ(com::registerTypeLib(t), S_OK);
    const std::string lib = "TypeLib\\{01AF4F8C-3F16-494E-8152-999D694B1A94}\\1.0";
    EXPECT_EQ(com::Registry::value(lib), "Quillion2 1.0 Type Library");
    EXPECT_EQ(com::Registry::value(lib + "\\0\\linux64"), "/opt/quillion/libquillion2.so");
    EXPECT_EQ(com::Registry::value(lib + "\\FLAGS"), "0");
    EXPECT_EQ(com::Registry::value(lib + "\\HELPDIR"), "/opt/quillion");
    const std::string itf = "Interface\\{20844F08-4532-477B-A9FA-46D9E4217902}";
    EXPECT_EQ(com::Registry::value(itf), "IQNContent");
    EXPECT_EQ(com::Registry::value(itf + "\\TypeLib"), "{01AF4F8C-3F16-494E-8152-999D694B1A94}");

    const CLSID clsid = com::makeGuid("FA716EF6-BB7F-4F50-BE8B-1695477BD4A2");
    const CATID cats[] = {CATID_SafeForScripting, CATID_SafeForInitializing};
    ASSERT_EQ(com::registerClassImplCategories(clsid, 2, cats), S_OK);
    const std::string implemented = std::string(kClsidKey) + "\\Implemented Categories";
    EXPECT_EQ(com::Registry::subKeys(implemented),
              (std::vector<std::string>{"{7DD95801-9882-11CF-9FA9-00AA006C42C4}",
                                        "{7DD95802-9882-11CF-9FA9-00AA006C42C4}"}));
    ASSERT_EQ(com::unRegisterClassImplCategories(clsid, 2, cats), S_OK);
    EXPECT_FALSE(com::Registry::hasKey(implemented));
    EXPECT_TRUE(com::Registry::hasKey(kClsidKey)) << "the class key itself stays";

    ASSERT_EQ(com::unRegisterTypeLib(libid, 1, 0, 0), S_OK);
    EXPECT_FALSE(com::Registry::hasKey("TypeLib\\{01AF4F8C-3F16-494E-8152-999D694B1A94}"));
    EXPECT_FALSE(com::Registry::hasKey(itf));
    EXPECT_EQ(com::unRegisterTypeLib(libid, 1, 0, 0), TYPE_E_LIBNOTREGISTERED);
}

TEST(Registry, ParsingArbitraryBytesNeverFails) {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<char>((seed >> 16) & 0xFF);
    };
    const std::string alphabet = "[]\\\"@=\n\r;-HKEY_CLASSES_ROOT ";
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int i = 0; i < 400; ++i) {
            char c = next();
            text.push_back((c & 1) ? alphabet[static_cast<unsigned char>(c) % alphabet.size()] : c);
        }
        com::RegistryFile file = com::RegistryFile::parse(text);
        com::RegistryFile again = com::RegistryFile::parse(file.serialize());
        EXPECT_EQ(again.serialize(), file.serialize()) << "round " << round;
    }
}
