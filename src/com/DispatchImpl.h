#pragma once

// Compile-time dispatch tables bound to C++ member functions, and the late-bound IDispatch
// engine (Invoke, GetIDsOfNames, the type information) every dispatch object uses.
//
//   inline constexpr com::DispatchMember kQNContentMembers[] = {
//       com::method<&IQNContent::saveFile>("saveFile", 2),
//       com::method<&IQNContent::loadFileWithDialog>(
//           "loadFileWithDialog", 3, {com::param::optionalRetval(VT_BSTR)}),
//       com::propget<&IQNContent::get_contentData>(
//           "contentData", 6, {com::param::retval(VT_BSTR, com::param::binary)}),
//       com::propput<&IQNContent::put_contentData>(
//           "contentData", 6, {com::param::in(VT_BSTR, com::param::binary)}),
//   };
//
// The parameter list may be left out: it is then deduced from the C++ signature (a trailing
// pointer parameter is the [out, retval] one; see ParamDefault below). When given, it must
// have one entry per C++ parameter, each compatible with the C++ type.

#include "com/ComPtr.h"
#include "com/DispatchCall.h"
#include "com/ErrorInfo.h"
#include "com/SafeArray.h"

#include <initializer_list>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

namespace com {

namespace param {
inline constexpr USHORT binary = PARAMFLAG_BINARY;
constexpr ParamInfo in(VARTYPE vt, USHORT extra = 0) {
    return {vt, static_cast<USHORT>(PARAMFLAG_FIN | extra)};
}
constexpr ParamInfo optionalIn(VARTYPE vt, USHORT extra = 0) {
    return {vt, static_cast<USHORT>(PARAMFLAG_FIN | PARAMFLAG_FOPT | extra)};
}
constexpr ParamInfo out(VARTYPE vt, USHORT extra = 0) {
    return {vt, static_cast<USHORT>(PARAMFLAG_FOUT | extra)};
}
constexpr ParamInfo retval(VARTYPE vt, USHORT extra = 0) {
    return {vt, static_cast<USHORT>(PARAMFLAG_FOUT | PARAMFLAG_FRETVAL | extra)};
}
// An [out, retval] the caller may omit: the member then receives a null pointer.
constexpr ParamInfo optionalRetval(VARTYPE vt, USHORT extra = 0) {
    return {vt, static_cast<USHORT>(PARAMFLAG_FOUT | PARAMFLAG_FRETVAL | PARAMFLAG_FOPT | extra)};
}
} // namespace param

namespace detail {

// How a C++ value type travels in a VARIANT.
template <class T> struct ValueTraits;

#define Q2COM_NUMERIC_TRAITS(Type, DefaultVt, Field, ...)                                          \
    template <> struct ValueTraits<Type> {                                                         \
        static constexpr VARTYPE defaultVt = DefaultVt;                                            \
        static constexpr bool accepts(VARTYPE vt) {                                                \
            for (VARTYPE v : {static_cast<VARTYPE>(DefaultVt), __VA_ARGS__}) {                     \
                if (v == vt) {                                                                     \
                    return true;                                                                   \
                }                                                                                  \
            }                                                                                      \
            return false;                                                                          \
        }                                                                                          \
        static Type read(const VARIANT& v) { return v.Field; }                                     \
        static void write(VARIANT& v, VARTYPE vt, Type& value) {                                   \
            v.vt = vt;                                                                             \
            v.Field = value;                                                                       \
        }                                                                                          \
        static void destroy(Type&) {}                                                              \
    };

Q2COM_NUMERIC_TRAITS(std::int32_t, VT_I4, lVal, static_cast<VARTYPE>(VT_INT),
                     static_cast<VARTYPE>(VT_ERROR))
Q2COM_NUMERIC_TRAITS(std::uint32_t, VT_UI4, ulVal, static_cast<VARTYPE>(VT_UINT))
// VARIANT_BOOL and SHORT are the same C++ type: VT_BOOL unless VT_I2 is declared.
Q2COM_NUMERIC_TRAITS(std::int16_t, VT_BOOL, iVal, static_cast<VARTYPE>(VT_I2))
Q2COM_NUMERIC_TRAITS(std::uint16_t, VT_UI2, uiVal, static_cast<VARTYPE>(VT_UI2))
Q2COM_NUMERIC_TRAITS(std::uint8_t, VT_UI1, bVal, static_cast<VARTYPE>(VT_UI1))
Q2COM_NUMERIC_TRAITS(std::int64_t, VT_I8, llVal, static_cast<VARTYPE>(VT_I8))
Q2COM_NUMERIC_TRAITS(std::uint64_t, VT_UI8, ullVal, static_cast<VARTYPE>(VT_UI8))
Q2COM_NUMERIC_TRAITS(float, VT_R4, fltVal, static_cast<VARTYPE>(VT_R4))
// DATE and double are the same C++ type: VT_R8 unless VT_DATE is declared.
Q2COM_NUMERIC_TRAITS(double, VT_R8, dblVal, static_cast<VARTYPE>(VT_DATE))
#undef Q2COM_NUMERIC_TRAITS

template <> struct ValueTraits<BSTR> {
    static constexpr VARTYPE defaultVt = VT_BSTR;
    static constexpr bool accepts(VARTYPE vt) { return vt == VT_BSTR; }
    static BSTR read(const VARIANT& v) { return v.bstrVal; }
    static void write(VARIANT& v, VARTYPE vt, BSTR& value) {
        v.vt = VT_BSTR;
        v.bstrVal = value;
        value = nullptr;
    }
    static void destroy(BSTR& value) {
        SysFreeString(value);
        value = nullptr;
    }
};

template <> struct ValueTraits<VARIANT> {
    static constexpr VARTYPE defaultVt = VT_VARIANT;
    static constexpr bool accepts(VARTYPE vt) { return vt == VT_VARIANT; }
    static VARIANT read(const VARIANT& v) { return v; }
    static void write(VARIANT& v, VARTYPE, VARIANT& value) {
        v = value;
        VariantInit(&value);
    }
    static void destroy(VARIANT& value) { VariantClear(&value); }
};

template <class T> inline constexpr bool isInterface = std::is_base_of_v<IUnknown, T>;

template <class I> constexpr VARTYPE interfaceVt() {
    return std::is_base_of_v<IDispatch, I> || std::is_same_v<I, IDispatch> ? VT_DISPATCH
                                                                           : VT_UNKNOWN;
}

// Puts an interface pointer (one reference, transferred) into a VARIANT.
template <class I> void writeInterface(VARIANT& v, I*& value) {
    if constexpr (std::is_convertible_v<I*, IDispatch*>) {
        v.vt = VT_DISPATCH;
        v.pdispVal = value;
    } else {
        v.vt = VT_UNKNOWN;
        v.punkVal = value;
    }
    value = nullptr;
}

inline bool isNullArgument(const VARIANT* v) {
    return v && v->vt == VT_NULL;
}

struct SlotInit {
    DispatchCall& call;
    UINT index;
    const ParamInfo& param;
};

// The object argument of an interface parameter, queried for I (null for a null, omitted
// or VT_NULL argument); DISP_E_TYPEMISMATCH when it is not an object answering I.
template <class I> HRESULT queryArgument(SlotInit& init, ComPtr<I>& result) {
    result.reset();
    if (isNullArgument(init.call.argument(init.index))) {
        return S_OK;
    }
    Variant holder;
    HRESULT hr = init.call.coerce(init.index, interfaceVt<I>(), holder.out());
    if (hr != S_OK) {
        return FAILED(hr) ? hr : S_OK;
    }
    IUnknown* unknown = holder.get()->punkVal;
    if (unknown && FAILED(unknown->QueryInterface(I::iid, result.outVoid()))) {
        return init.call.fail(init.index, DISP_E_TYPEMISMATCH);
    }
    return S_OK;
}

// [in] by value: numbers, BSTR, VARIANT.
template <class T> class ValueInSlot {
public:
    explicit ValueInSlot(SlotInit init) : init_(init) { VariantInit(&holder_); }
    ~ValueInSlot() { VariantClear(&holder_); }
    ValueInSlot(const ValueInSlot&) = delete;
    ValueInSlot& operator=(const ValueInSlot&) = delete;
    HRESULT prepare() {
        if constexpr (std::is_same_v<T, BSTR>) {
            // A BSTR passed by value goes to the member as it is (the member only reads an
            // [in] string), without a copy of what may be a very long string.
            const VARIANT* source = init_.call.argument(init_.index);
            if (source && source->vt == VT_BSTR && init_.param.vt == VT_BSTR) {
                value_ = source->bstrVal;
                return S_OK;
            }
        }
        HRESULT hr = init_.call.coerce(init_.index, init_.param.vt, &holder_);
        if (FAILED(hr)) {
            return hr;
        }
        if constexpr (std::is_same_v<T, VARIANT>) {
            if (hr == S_FALSE) {
                holder_.vt = VT_ERROR;
                holder_.scode = DISP_E_PARAMNOTFOUND;
            }
        }
        if (hr == S_OK || std::is_same_v<T, VARIANT>) {
            value_ = ValueTraits<T>::read(holder_);
        }
        return S_OK;
    }
    T arg() { return value_; }
    void finish(HRESULT) {}

private:
    SlotInit init_;
    VARIANT holder_;
    T value_{};
};

// [in] interface pointer: IDispatch*, IUnknown* or a specific interface (queried by I::iid).
template <class I> class InterfaceInSlot {
public:
    explicit InterfaceInSlot(SlotInit init) : init_(init) {}
    HRESULT prepare() { return queryArgument(init_, value_); }
    I* arg() { return value_.get(); }
    void finish(HRESULT) {}

private:
    SlotInit init_;
    ComPtr<I> value_;
};

// T* : [out] / [out, retval] (or [in] by reference when the parameter is [in] only).
template <class T> class ValuePtrSlot {
public:
    explicit ValuePtrSlot(SlotInit init) : init_(init) {
        if constexpr (std::is_same_v<T, VARIANT>) {
            VariantInit(&value_);
        }
        VariantInit(&holder_);
    }
    ~ValuePtrSlot() {
        ValueTraits<T>::destroy(value_);
        if (!init_.param.isOut()) {
            VariantInit(&holder_); // value_ borrowed from holder_ was reset by destroy
        }
        VariantClear(&holder_);
    }
    ValuePtrSlot(const ValuePtrSlot&) = delete;
    ValuePtrSlot& operator=(const ValuePtrSlot&) = delete;
    HRESULT prepare() {
        if (init_.param.isOut()) {
            return S_OK;
        }
        HRESULT hr = init_.call.coerce(init_.index,
                                       static_cast<VARTYPE>(init_.param.vt & ~VT_BYREF), &holder_);
        if (FAILED(hr)) {
            return hr;
        }
        if (hr == S_OK) {
            // Keeps the value in holder_ as well; only one of them is freed.
            value_ = ValueTraits<T>::read(holder_);
            VariantInit(&holder_);
        }
        return S_OK;
    }
    T* arg() {
        if (init_.param.isRetval() && init_.param.isOptional() && !init_.call.result()) {
            return nullptr;
        }
        return &value_;
    }
    void finish(HRESULT hr) {
        if (FAILED(hr) || !init_.param.isOut()) {
            return;
        }
        VARTYPE vt = static_cast<VARTYPE>(init_.param.vt & ~VT_BYREF);
        if (init_.param.isRetval()) {
            if (VARIANT* result = init_.call.result()) {
                VariantClear(result);
                ValueTraits<T>::write(*result, vt, value_);
            }
            return;
        }
        VARIANT* target = init_.call.argument(init_.index);
        if (!target) {
            return;
        }
        if (target->vt == (VT_BYREF | VT_VARIANT) && target->pvarVal) {
            VariantClear(target->pvarVal);
            ValueTraits<T>::write(*target->pvarVal, vt, value_);
        } else if (target->vt == (VT_BYREF | vt) && target->byref) {
            T* slot = static_cast<T*>(target->byref);
            ValueTraits<T>::destroy(*slot);
            *slot = value_;
            value_ = T{};
            if constexpr (std::is_same_v<T, VARIANT>) {
                VariantInit(&value_);
            }
        }
    }

private:
    SlotInit init_;
    T value_{};
    VARIANT holder_;
};

// I** : [out] / [out, retval] interface, or [in] by reference (an IQNCertificates**).
template <class I> class InterfacePtrSlot {
public:
    explicit InterfacePtrSlot(SlotInit init) : init_(init) {}
    ~InterfacePtrSlot() {
        if (value_) {
            value_->Release();
        }
    }
    InterfacePtrSlot(const InterfacePtrSlot&) = delete;
    InterfacePtrSlot& operator=(const InterfacePtrSlot&) = delete;
    HRESULT prepare() {
        if (init_.param.isOut()) {
            return S_OK;
        }
        ComPtr<I> queried;
        HRESULT hr = queryArgument(init_, queried);
        value_ = queried.detach();
        return hr;
    }
    I** arg() {
        if (init_.param.isRetval() && init_.param.isOptional() && !init_.call.result()) {
            return nullptr;
        }
        return &value_;
    }
    void finish(HRESULT hr) {
        if (FAILED(hr) || !init_.param.isOut()) {
            return;
        }
        VARIANT* target = init_.param.isRetval() ? init_.call.result() : nullptr;
        if (!init_.param.isRetval()) {
            VARIANT* byref = init_.call.argument(init_.index);
            if (byref && byref->vt == (VT_BYREF | VT_VARIANT) && byref->pvarVal) {
                target = byref->pvarVal;
            }
        }
        if (target) {
            VariantClear(target);
            writeInterface(*target, value_);
        }
    }

private:
    SlotInit init_;
    I* value_ = nullptr;
};

template <class T, class = void> struct SlotFor { using type = ValueInSlot<T>; };
template <class I> struct SlotFor<I*, std::enable_if_t<isInterface<I>>> {
    using type = InterfaceInSlot<I>;
};
template <class I> struct SlotFor<I**, std::enable_if_t<isInterface<I>>> {
    using type = InterfacePtrSlot<I>;
};
template <class T>
struct SlotFor<
    T*, std::enable_if_t<!isInterface<T> && (!std::is_pointer_v<T> || std::is_same_v<T, BSTR>)>> {
    using type = ValuePtrSlot<T>;
};
template <> struct SlotFor<BSTR> { using type = ValueInSlot<BSTR>; };
template <class T> using SlotFor_t = typename SlotFor<T>::type;

// The parameter description deduced from a C++ parameter type.
template <class T> struct ParamDefault {
    static constexpr ParamInfo get(bool last) { return param::in(ValueTraits<T>::defaultVt); }
    static constexpr bool accepts(const ParamInfo& p) {
        return !p.isOut() && ValueTraits<T>::accepts(p.vt);
    }
};
template <> struct ParamDefault<BSTR> {
    static constexpr ParamInfo get(bool) { return param::in(VT_BSTR); }
    static constexpr bool accepts(const ParamInfo& p) { return !p.isOut() && p.vt == VT_BSTR; }
};
template <class T> struct ParamDefault<T*> {
    static constexpr ParamInfo get(bool last) {
        if constexpr (isInterface<T>) {
            return param::in(interfaceVt<T>());
        } else {
            return last ? param::retval(ValueTraits<T>::defaultVt)
                        : param::out(ValueTraits<T>::defaultVt);
        }
    }
    static constexpr bool accepts(const ParamInfo& p) {
        if constexpr (isInterface<T>) {
            return !p.isOut() && (p.vt == VT_DISPATCH || p.vt == VT_UNKNOWN);
        } else if (p.isOut()) {
            return ValueTraits<T>::accepts(p.vt);
        } else {
            return (p.vt & VT_BYREF) != 0 &&
                   ValueTraits<T>::accepts(static_cast<VARTYPE>(p.vt & ~VT_BYREF));
        }
    }
};
template <> struct ParamDefault<BSTR*> {
    static constexpr ParamInfo get(bool last) {
        return last ? param::retval(VT_BSTR) : param::out(VT_BSTR);
    }
    static constexpr bool accepts(const ParamInfo& p) {
        return p.isOut() ? p.vt == VT_BSTR : p.vt == (VT_BYREF | VT_BSTR);
    }
};
template <class I> struct ParamDefault<I**> {
    static_assert(isInterface<I>, "only interface pointers may be passed as T**");
    static constexpr ParamInfo get(bool last) {
        return last ? param::retval(interfaceVt<I>()) : param::out(interfaceVt<I>());
    }
    static constexpr bool accepts(const ParamInfo& p) {
        VARTYPE base = static_cast<VARTYPE>(p.vt & ~VT_BYREF);
        return (base == VT_DISPATCH || base == VT_UNKNOWN) &&
               (p.isOut() ? (p.vt & VT_BYREF) == 0 : (p.vt & VT_BYREF) != 0);
    }
};

template <auto Member> struct Binder;

template <class C, class... A, HRESULT (C::*Member)(A...)> struct Binder<Member> {
    static constexpr UINT arity = sizeof...(A);

    static HRESULT invoke(void* object, const DispatchMember& member, DispatchCall& call) {
        try {
            return call_(static_cast<C*>(static_cast<IDispatch*>(object)), member, call,
                         std::index_sequence_for<A...>{});
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

    static constexpr void deduce(DispatchMember& m) {
        UINT i = 0;
        ((m.params[i] = ParamDefault<A>::get(i + 1 == arity), ++i), ...);
    }
    static constexpr bool check(const DispatchMember& m) {
        UINT i = 0;
        bool ok = true;
        ((ok = ok && ParamDefault<A>::accepts(m.params[i]), ++i), ...);
        return ok;
    }

private:
    template <std::size_t... I>
    static HRESULT call_(C* object, const DispatchMember& member, DispatchCall& call,
                         std::index_sequence<I...>) {
        std::tuple<SlotFor_t<A>...> slots{
            SlotInit{call, static_cast<UINT>(I), member.params[I]}...};
        HRESULT hr = S_OK;
        ((hr = SUCCEEDED(hr) ? std::get<I>(slots).prepare() : hr), ...);
        if (FAILED(hr)) {
            return hr;
        }
        hr = (object->*Member)(std::get<I>(slots).arg()...);
        (std::get<I>(slots).finish(hr), ...);
        return hr;
    }
};

template <auto Member>
consteval DispatchMember makeMember(const char* name, DISPID dispid, MemberKind kind,
                                    std::initializer_list<ParamInfo> params) {
    using B = Binder<Member>;
    static_assert(B::arity <= kMaxDispatchParams, "too many parameters");
    DispatchMember m;
    m.name = name;
    m.dispid = dispid;
    m.kind = kind;
    m.paramCount = B::arity;
    m.invoke = &B::invoke;
    if (params.size() == 0) {
        B::deduce(m);
    } else {
        if (params.size() != B::arity) {
            throw "the parameter list does not match the member function";
        }
        UINT i = 0;
        for (const ParamInfo& p : params) {
            m.params[i++] = p;
        }
        if (!B::check(m)) {
            throw "a parameter type does not match its C++ type";
        }
    }
    for (UINT i = 0; i + 1 < m.paramCount; ++i) {
        if (m.params[i].isRetval()) {
            throw "only the last parameter may be [out, retval]";
        }
    }
    if (kind == MemberKind::PropertyPut && (m.retval() != nullptr || m.paramCount == 0)) {
        throw "a property put takes its value as the last [in] parameter";
    }
    return m;
}

} // namespace detail

template <auto Member>
consteval DispatchMember method(const char* name, DISPID dispid,
                                std::initializer_list<ParamInfo> params = {}) {
    return detail::makeMember<Member>(name, dispid, MemberKind::Method, params);
}
template <auto Member>
consteval DispatchMember propget(const char* name, DISPID dispid,
                                 std::initializer_list<ParamInfo> params = {}) {
    return detail::makeMember<Member>(name, dispid, MemberKind::PropertyGet, params);
}
template <auto Member>
consteval DispatchMember propput(const char* name, DISPID dispid,
                                 std::initializer_list<ParamInfo> params = {}) {
    return detail::makeMember<Member>(name, dispid, MemberKind::PropertyPut, params);
}

// IDispatch::Invoke over a table. `object` is the object's dispatch interface; `errorInfo`
// (may be null) says whether the object reports error information for table.iid. A member
// failing with error information set gives DISP_E_EXCEPTION with EXCEPINFO filled (scode,
// bstrSource, bstrDescription), as DispInvoke does; without it, the member's HRESULT.
HRESULT dispatchInvoke(const DispatchTable& table, IDispatch* object, ISupportErrorInfo* errorInfo,
                       DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excepInfo, UINT* argErr);
// Case-insensitive; only the member name is looked up (names of parameters give
// DISP_E_UNKNOWNNAME and DISPID_UNKNOWN).
HRESULT dispatchGetIDsOfNames(const DispatchTable& table, REFIID riid, LPOLESTR* names, UINT count,
                              DISPID* ids);
// A type-information object over the table; it keeps `owner` alive.
HRESULT createTypeInfo(const DispatchTable& table, IUnknown* owner, ITypeInfo** result);

} // namespace com
