#include "TestObject.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

Q2COM_DEFINE_MODULE_LOCK_COUNT()

namespace {

// A controlling object that aggregates a TestObject.
class Outer final : public IUnknown {
public:
    HRESULT init() { return TestObject::createInstance(this, IID_IUnknown, inner.outVoid()); }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(riid, ppv); // the inner object's interfaces
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    ULONG refs = 1;
    com::ComPtr<IUnknown> inner;
};

} // namespace

TEST(ObjectFrame, EveryLiveObjectHoldsAModuleLock) {
    LONG before = com::moduleLockCount();
    {
        com::ComPtr<TestObject> a = TestObject::create();
        com::ComPtr<IDispatch> b;
        ASSERT_EQ(TestObject::createInstance(nullptr, IID_IDispatch, b.outVoid()), S_OK);
        EXPECT_EQ(com::moduleLockCount(), before + 2);
    }
    EXPECT_EQ(com::moduleLockCount(), before);
}

TEST(ObjectFrame, CreateInstanceRules) {
    LONG before = com::moduleLockCount();
    EXPECT_EQ(TestObject::createInstance(nullptr, IID_IDispatch, nullptr), E_POINTER);
    void* p = reinterpret_cast<void*>(1);
    IID unknownIid = com::makeGuid("01234567-89AB-CDEF-0123-456789ABCDEF");
    EXPECT_EQ(TestObject::createInstance(nullptr, unknownIid, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(com::moduleLockCount(), before) << "the object is destroyed when the query fails";
    Outer outer;
    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(TestObject::createInstance(&outer, IID_IDispatch, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(com::moduleLockCount(), before);
}

TEST(ObjectFrame, AggregatedObjectsDelegateToTheOuterUnknown) {
    Outer outer;
    ASSERT_EQ(outer.init(), S_OK);
    ASSERT_TRUE(outer.inner);
    EXPECT_EQ(outer.refs, 1u) << "the inner unknown does not count on the outer";
    ITestObject* typed = nullptr;
    ASSERT_EQ(outer.QueryInterface(ITestObject::iid, reinterpret_cast<void**>(&typed)), S_OK);
    EXPECT_EQ(outer.refs, 2u) << "the inner's interfaces AddRef the outer";
    IUnknown* identity = nullptr;
    ASSERT_EQ(typed->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
    identity->Release();
    typed->put_count(3);
    LONG count = 0;
    typed->get_count(&count);
    EXPECT_EQ(count, 3);
    typed->Release();
    EXPECT_EQ(outer.refs, 1u);
    outer.inner.reset(); // destroys the inner object
}

TEST(ObjectFrame, SupportErrorInfoAnswersOnlyTheClassInterface) {
    com::ComPtr<TestObject> object = TestObject::create();
    com::ComPtr<ISupportErrorInfo> support = object.as<ISupportErrorInfo>();
    ASSERT_TRUE(support);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(ITestObject::iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IUnknown), S_FALSE);
}

TEST(ObjectFrame, ObjectSafetyOptions) {
    com::ComPtr<TestObject> object = TestObject::create();
    com::ComPtr<IObjectSafety> safety = object.as<IObjectSafety>();
    ASSERT_TRUE(safety);
    DWORD supported = 99, enabled = 99;
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1), S_OK);
    safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
    EXPECT_EQ(enabled, 1u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 2, 3), S_OK);
    safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
    EXPECT_EQ(enabled, 3u) << "(options & ~mask) | (mask & enabled)";
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 0), S_OK);
    safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
    EXPECT_EQ(enabled, 2u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 4, 4), E_FAIL);
    IID unknownIid = com::makeGuid("01234567-89AB-CDEF-0123-456789ABCDEF");
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(unknownIid, 1, 1), E_NOINTERFACE);
    supported = enabled = 99;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(unknownIid, &supported, &enabled), E_NOINTERFACE);
    EXPECT_EQ(supported, 0u);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(ITestObject::iid, &supported, &enabled), S_OK);
}

TEST(ObjectFrame, ClassFactoryCreatesAndLocks) {
    LONG before = com::moduleLockCount();
    IClassFactory* factory = com::ClassFactory<TestObject>::make();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(com::moduleLockCount(), before) << "a factory holds no lock";
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(com::moduleLockCount(), before + 1);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(com::moduleLockCount(), before);
    com::ComPtr<IDispatch> object;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, object.outVoid()), S_OK);
    EXPECT_TRUE(object);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, nullptr), E_POINTER);
    Outer outer;
    void* p = nullptr;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IDispatch, &p), CLASS_E_NOAGGREGATION);
    factory->Release();
}

TEST(ObjectFrame, ReferenceCountsAreAtomic) {
    com::ComPtr<TestObject> object = TestObject::create();
    LONG before = com::moduleLockCount();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                object->AddRef();
                object->Release();
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(object->AddRef(), 2u);
    object->Release();
    object.reset();
    EXPECT_EQ(com::moduleLockCount(), before - 1);
}

namespace {

struct IMini : IDispatch {
    static constexpr IID iid = com::makeGuid("7E3A4C1B-2D5F-4A60-8B71-9C0D1E2F3A4B");
    virtual HRESULT get_value(LONG* value) = 0;
};

struct IExtra : IUnknown {
    static constexpr IID iid = com::makeGuid("8F4B5D2C-3E60-4B71-9C82-AD1E2F304B5C");
    virtual HRESULT ping(LONG* value) = 0;
};

constexpr com::DispatchMember kMiniMembers[] = {
    com::propget<&IMini::get_value>("value", 1),
};

// A class answering one interface more than the frame's.
class MiniObject final : public com::DispatchObject<MiniObject, IMini>, public IExtra {
public:
    static const com::DispatchTable& dispatchTable() {
        static constexpr com::DispatchTable table{IMini::iid, "IMini", kMiniMembers, 1};
        return table;
    }
    void* queryExtraInterface(REFIID riid) {
        return IsEqualIID(riid, IExtra::iid) ? static_cast<IExtra*>(this) : nullptr;
    }
    // IExtra's IUnknown goes to the frame's.
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return DispatchObject::QueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return DispatchObject::AddRef(); }
    ULONG Release() override { return DispatchObject::Release(); }
    HRESULT get_value(LONG* value) override {
        *value = 11;
        return S_OK;
    }
    HRESULT ping(LONG* value) override {
        *value = 22;
        return S_OK;
    }
};

} // namespace

TEST(ObjectFrame, ExtraInterfacesShareTheObjectIdentity) {
    com::ComPtr<IDispatch> object;
    ASSERT_EQ(MiniObject::createInstance(nullptr, IID_IDispatch, object.outVoid()), S_OK);
    com::ComPtr<IExtra> extra = object.as<IExtra>();
    ASSERT_TRUE(extra);
    LONG value = 0;
    extra->ping(&value);
    EXPECT_EQ(value, 22);
    com::ComPtr<IUnknown> a = object.as<IUnknown>();
    com::ComPtr<IUnknown> b = extra.as<IUnknown>();
    EXPECT_EQ(a.get(), b.get());
    com::ComPtr<IObjectSafety> safety = extra.as<IObjectSafety>();
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IExtra::iid, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
}
