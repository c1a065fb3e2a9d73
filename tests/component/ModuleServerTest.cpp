#include <string>

#include "TestEnvironment.h"
#include "com/Com.h"
#include "component/content/IQNContent.h"
#include "component/module/ClassTable.h"
#include "component/module/Module.h"
#include "component/module/ServerRegistration.h"

using namespace component::module;

namespace {

// A class of the table whose implementation is not part of this build, or null.
const ClassInfo* unbuiltClass() {
    for (const ClassRow& row : classTable()) {
        if (row.makeFactory == nullptr) {
            return row.info;
        }
    }
    return nullptr;
}

class ModuleServer : public TestEnvironment {
protected:
    void SetUp() override {
        TestEnvironment::SetUp();
        Module::attach(path("libquillion2.so"));
    }
    void TearDown() override {
        Module::detach();
        TestEnvironment::TearDown();
    }

    com::ComPtr<IClassFactory> factory(REFCLSID clsid) {
        IClassFactory* raw = nullptr;
        EXPECT_EQ(Module::getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&raw)),
                  S_OK);
        return com::ComPtr<IClassFactory>::attach(raw);
    }
};

} // namespace

TEST_F(ModuleServer, GetClassObjectChecksItsArguments) {
    EXPECT_EQ(Module::getClassObject(kQNContent.clsid, IID_IClassFactory, nullptr), E_POINTER);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(Module::getClassObject(com::makeGuid("00000000-1111-2222-3333-444444444444"),
                                     IID_IClassFactory, &out),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    if (const ClassInfo* unbuilt = unbuiltClass()) {
        EXPECT_EQ(Module::getClassObject(unbuilt->clsid, IID_IClassFactory, &out),
                  CLASS_E_CLASSNOTAVAILABLE);
    }
    EXPECT_EQ(Module::getClassObject(kQNContent.clsid, IID_IDispatch, &out), E_NOINTERFACE);
}

TEST_F(ModuleServer, FactoriesAreCachedPerClass) {
    auto first = factory(kQNContent.clsid);
    auto second = factory(kQNContent.clsid);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_NE(first.get(), factory(kQNCollection.clsid).get());
}

TEST_F(ModuleServer, CreateInstanceFollowsTheAggregationRules) {
    auto contentFactory = factory(kQNContent.clsid);
    void* out = nullptr;
    EXPECT_EQ(contentFactory->CreateInstance(nullptr, IID_IDispatch, nullptr), E_POINTER);
    // An outer object may ask only for IUnknown.
    IUnknown* outer = contentFactory.get();
    EXPECT_EQ(contentFactory->CreateInstance(outer, IID_IDispatch, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(contentFactory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
    EXPECT_EQ(Module::canUnloadNow(), S_OK); // the failed object went away
    ASSERT_EQ(contentFactory->CreateInstance(nullptr, component::content::IQNContent::iid, &out),
              S_OK);
    static_cast<IUnknown*>(out)->Release();
}

TEST_F(ModuleServer, CanUnloadNowFollowsLiveObjectsAndServerLocks) {
    EXPECT_EQ(Module::canUnloadNow(), S_OK);
    auto contentFactory = factory(kQNContent.clsid);
    EXPECT_EQ(Module::canUnloadNow(), S_OK); // a cached factory holds no lock
    IDispatch* object = nullptr;
    ASSERT_EQ(
        contentFactory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object)),
        S_OK);
    EXPECT_EQ(Module::canUnloadNow(), S_FALSE);
    object->Release();
    EXPECT_EQ(Module::canUnloadNow(), S_OK);
    contentFactory->LockServer(TRUE);
    EXPECT_EQ(Module::canUnloadNow(), S_FALSE);
    contentFactory->LockServer(FALSE);
    EXPECT_EQ(Module::canUnloadNow(), S_OK);
}

TEST_F(ModuleServer, ObjectSafetyOptions) {
    for (const ClassInfo* info : {&kQNContent, &kQNCollection, &kQNCryptoSystem}) {
        IObjectSafety* safety = nullptr;
        ASSERT_EQ(
            factory(info->clsid)
                ->CreateInstance(nullptr, IID_IObjectSafety, reinterpret_cast<void**>(&safety)),
            S_OK);
        DWORD supported = 9, enabled = 9;
        EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
        EXPECT_EQ(supported, 3u);
        EXPECT_EQ(enabled, 0u);
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1), S_OK);
        safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
        EXPECT_EQ(enabled, 1u);
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 2), S_OK);
        safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
        EXPECT_EQ(enabled, 2u);
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 0), S_OK);
        safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
        EXPECT_EQ(enabled, 2u); // only the masked bit changed
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 4, 4), E_FAIL);
        EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
        EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled),
                  E_NOINTERFACE);
        EXPECT_EQ(supported, 0u);
        EXPECT_EQ(enabled, 0u);
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IClassFactory, 1, 1), E_NOINTERFACE);
        safety->Release();
    }
}

TEST_F(ModuleServer, SupportErrorInfoAnswersOnlyTheOwnInterface) {
    ISupportErrorInfo* support = nullptr;
    ASSERT_EQ(
        factory(kQNContent.clsid)
            ->CreateInstance(nullptr, IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)),
        S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(kQNContent.iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    support->Release();
}

TEST_F(ModuleServer, RegistrationActivatesClassesByProgId) {
    Module::registerClasses(&Module::getClassObject);
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Quillion2.QNContent", &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kQNContent.clsid));
    IDispatch* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kQNCryptoSystem.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    ASSERT_NE(object, nullptr);
    object->Release();
    if (const ClassInfo* unbuilt = unbuiltClass()) {
        EXPECT_EQ(CoCreateInstance(unbuilt->clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&object)),
                  CLASS_E_CLASSNOTAVAILABLE);
    }
    Module::unregisterClasses();
}

TEST_F(ModuleServer, RegisteringTwiceLeavesOneKeyPerClass) {
    const std::string modulePath = path("libquillion2.so");
    ASSERT_EQ(ServerRegistration::registerServer(modulePath), S_OK);
    ASSERT_EQ(ServerRegistration::registerServer(modulePath), S_OK);
    com::RegistryFile registry = com::Registry::snapshot();
    EXPECT_EQ(registry.subKeys("CLSID").size(), kClassCount);
    for (const ClassRow& row : classTable()) {
        const ClassInfo& info = *row.info;
        const std::string key = "CLSID\\" + com::guidToString(info.clsid);
        EXPECT_EQ(registry.value(key), std::string(info.description));
        EXPECT_EQ(registry.value(key + "\\ProgID"), std::string(info.progId));
        EXPECT_EQ(registry.value(key + "\\VersionIndependentProgID"),
                  std::string(info.versionIndependentProgId));
        EXPECT_EQ(registry.value(key + "\\InprocServer32"), modulePath);
        EXPECT_EQ(registry.value(key + "\\InprocServer32", "ThreadingModel"), "both");
        EXPECT_EQ(registry.value(std::string(info.progId) + "\\CLSID"),
                  com::guidToString(info.clsid));
        EXPECT_EQ(registry.value(info.versionIndependentProgId), std::string(info.description));
        const std::string categories = key + "\\Implemented Categories";
        EXPECT_EQ(registry.hasKey(categories + "\\" + com::guidToString(kCatidSafeForScripting)),
                  info.safeForScripting)
            << info.name;
        EXPECT_EQ(registry.hasKey(categories + "\\" + com::guidToString(kCatidSafeForInitializing)),
                  info.safeForScripting);
        EXPECT_EQ(registry.subKeys(categories).size(), info.safeForScripting ? 2u : 0u);
    }
    EXPECT_FALSE(kPdfSign.safeForScripting);
    EXPECT_TRUE(registry.hasKey("TypeLib\\" + com::guidToString(kTypeLibraryId)));

    EXPECT_EQ(ServerRegistration::unregisterServer(), S_OK);
    registry = com::Registry::snapshot();
    EXPECT_TRUE(registry.hasKey("CLSID")); // the CLSID key itself stays
    EXPECT_TRUE(registry.subKeys("CLSID").empty());
    EXPECT_FALSE(registry.hasKey("Quillion2.QNContent"));
    EXPECT_FALSE(registry.hasKey("Quillion2.QNContent.1"));
    EXPECT_FALSE(registry.hasKey("TypeLib\\" + com::guidToString(kTypeLibraryId)));
}

TEST_F(ModuleServer, RegistrationReplacesAStaleClassKeyWhole) {
    const std::string key = "CLSID\\" + com::guidToString(kQNContent.clsid);
    ASSERT_EQ(com::Registry::setValue(key + "\\Stale", "", "old"), S_OK);
    ASSERT_EQ(ServerRegistration::registerServer(path("libquillion2.so")), S_OK);
    EXPECT_FALSE(com::Registry::hasKey(key + "\\Stale"));
    EXPECT_TRUE(com::Registry::hasKey(key + "\\InprocServer32"));
}
