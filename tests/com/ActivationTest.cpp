#include "TestHome.h"
#include "TestObject.h"

#include <atomic>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

HRESULT getTestClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!IsEqualCLSID(clsid, TestObject::clsid)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    IClassFactory* factory = com::ClassFactory<TestObject>::make();
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

// Registers TestObject under "Local.TestObject" for the test's duration.
class LocalClass {
public:
    LocalClass() {
        const com::ClassRegistration classes[] = {
            {TestObject::clsid, "Local.TestObject.1", "Local.TestObject"}};
        cookie_ = com::registerModuleClasses(classes, 1, &getTestClassObject);
    }
    ~LocalClass() { com::unregisterModuleClasses(cookie_); }

private:
    DWORD cookie_ = 0;
};

std::string progIdOf(REFCLSID clsid, HRESULT expected = S_OK) {
    LPOLESTR text = nullptr;
    EXPECT_EQ(ProgIDFromCLSID(clsid, &text), expected);
    std::string result = text ? com::utf16ToUtf8(text) : "";
    CoTaskMemFree(text);
    return result;
}

} // namespace

TEST(Guid, TextForms) {
    constexpr GUID g = com::makeGuid("FA716EF6-BB7F-4F50-BE8B-1695477BD4A2");
    EXPECT_EQ(com::guidToString(g), "{FA716EF6-BB7F-4F50-BE8B-1695477BD4A2}");
    OLECHAR buffer[39];
    EXPECT_EQ(StringFromGUID2(g, buffer, 39), 39);
    EXPECT_EQ(std::u16string(buffer), u"{FA716EF6-BB7F-4F50-BE8B-1695477BD4A2}");
    EXPECT_EQ(StringFromGUID2(g, buffer, 38), 0);
    CLSID parsed{};
    EXPECT_EQ(CLSIDFromString(u"{fa716ef6-bb7f-4f50-be8b-1695477bd4a2}", &parsed), S_OK);
    EXPECT_TRUE(IsEqualGUID(parsed, g));
    EXPECT_EQ(CLSIDFromString(u"FA716EF6-BB7F-4F50-BE8B-1695477BD4A2", &parsed), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString(u"{FA716EF6-BB7F-4F50-BE8B-1695477BD4AZ}", &parsed),
              CO_E_CLASSSTRING);
    EXPECT_FALSE(com::parseGuid("{FA716EF6-BB7F-4F50-BE8B1695477BD4A2}"));
}

TEST(Activation, RegistrationFreeClassesOfLoadedModules) {
    TestHome home;
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Local.TestObject", &clsid), CO_E_CLASSSTRING);
    {
        LocalClass local;
        ASSERT_EQ(CLSIDFromProgID(u"Local.TestObject", &clsid), S_OK);
        EXPECT_TRUE(IsEqualCLSID(clsid, TestObject::clsid));
        ASSERT_EQ(CLSIDFromProgID(u"local.testobject.1", &clsid), S_OK);
        EXPECT_EQ(progIdOf(TestObject::clsid), "Local.TestObject.1");
        com::ComPtr<IDispatch> object;
        ASSERT_EQ(
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.outVoid()),
            S_OK);
        EXPECT_TRUE(object.as<ITestObject>());
        EXPECT_EQ(
            CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, object.outVoid()),
            REGDB_E_CLASSNOTREG);
    }
    EXPECT_EQ(CLSIDFromProgID(u"Local.TestObject", &clsid), CO_E_CLASSSTRING);
    progIdOf(TestObject::clsid, REGDB_E_CLASSNOTREG);
    void* p = nullptr;
    EXPECT_EQ(CoCreateInstance(TestObject::clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &p),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(
        CoCreateInstance(TestObject::clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, nullptr),
        E_POINTER);
}

TEST(Activation, ThroughTheRegistryFileAndARealModule) {
    TestHome home;
    // What DllRegisterServer writes, by hand: the module is not loaded yet.
    const std::string clsidText = com::guidToString(TestObject::clsid);
    com::Registry::setValue("Registered.TestObject\\CLSID", "", clsidText);
    com::Registry::setValue("CLSID\\" + clsidText + "\\ProgID", "", "Registered.TestObject.1");
    com::Registry::setValue("CLSID\\" + clsidText + "\\InprocServer32", "", Q2COM_TEST_MODULE);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Registered.TestObject", &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, TestObject::clsid));
    EXPECT_EQ(progIdOf(clsid), "Registered.TestObject.1");
    com::ComPtr<IDispatch> object;
    ASSERT_EQ(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.outVoid()),
        S_OK);
    // The module is loaded now and answers for its own ProgIDs without the registry.
    ASSERT_EQ(CLSIDFromProgID(u"QuillionTest.TestObject", &clsid), S_OK);

    void* module = dlopen(Q2COM_TEST_MODULE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr);
    auto canUnload = reinterpret_cast<DllCanUnloadNowFunction>(dlsym(module, "DllCanUnloadNow"));
    auto registerServer =
        reinterpret_cast<DllRegisterServerFunction>(dlsym(module, "DllRegisterServer"));
    auto unregisterServer =
        reinterpret_cast<DllUnregisterServerFunction>(dlsym(module, "DllUnregisterServer"));
    ASSERT_TRUE(canUnload && registerServer && unregisterServer);
    EXPECT_EQ(canUnload(), S_FALSE) << "an object of the module is alive";
    object.reset();
    EXPECT_EQ(canUnload(), S_OK);

    ASSERT_EQ(registerServer(), S_OK);
    ASSERT_EQ(registerServer(), S_OK);
    EXPECT_EQ(com::Registry::value("QuillionTest.TestObject.1\\CLSID"), clsidText);
    EXPECT_EQ(com::Registry::value("CLSID\\" + clsidText + "\\InprocServer32", "ThreadingModel"),
              "both");
    EXPECT_EQ(com::Registry::subKeys("CLSID\\" + clsidText + "\\Implemented Categories").size(),
              2u);
    EXPECT_FALSE(com::Registry::hasKey("Registered.TestObject\\CLSID\\x"));
    int clsidKeys = 0;
    for (const std::string& key : com::Registry::snapshot().keys()) {
        clsidKeys += key == "CLSID\\" + clsidText;
    }
    EXPECT_EQ(clsidKeys, 1) << "registering twice leaves one class key";
    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_FALSE(com::Registry::hasKey("CLSID\\" + clsidText));
    EXPECT_TRUE(com::Registry::hasKey("CLSID"));
    dlclose(module);
}

TEST(Activation, ARegisteredModuleThatCannotLoad) {
    TestHome home;
    const CLSID clsid = com::makeGuid("99999999-8888-7777-6666-555555555555");
    com::Registry::setValue("CLSID\\" + com::guidToString(clsid) + "\\InprocServer32", "",
                            home.path() + "/missing.so");
    void* p = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &p),
              CO_E_DLLNOTFOUND);
    EXPECT_EQ(p, nullptr);
}

TEST(Activation, ConcurrentCreationWhileModulesComeAndGo) {
    TestHome home;
    LocalClass local;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 300; ++i) {
                CLSID clsid{};
                com::ComPtr<IDispatch> object;
                if (FAILED(CLSIDFromProgID(u"Local.TestObject", &clsid)) ||
                    FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                            object.outVoid()))) {
                    ++failures;
                }
            }
        });
    }
    // Another module's table registered and removed meanwhile.
    for (int i = 0; i < 300; ++i) {
        const com::ClassRegistration other[] = {
            {com::makeGuid("11111111-2222-3333-4444-555555555555"), "Other.A.1", "Other.A"}};
        com::unregisterModuleClasses(com::registerModuleClasses(other, 1, &getTestClassObject));
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(failures, 0);
}
