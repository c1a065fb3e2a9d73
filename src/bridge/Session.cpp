#include "bridge/Session.h"

#include "bridge/BridgeError.h"
#include "bridge/JsonValue.h"
#include "bridge/PathMembers.h"
#include "com/Activation.h"
#include "com/AutomationError.h"
#include "com/BStr.h"
#include "com/ObjectSafety.h"
#include "com/TypeTable.h"

#include <new>
#include <vector>

namespace bridge {

namespace {

using nlohmann::json;

// More arguments than any member takes.
constexpr std::size_t kMaxArguments = 32;

std::string dump(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

[[noreturn]] void fail(const com::AutomationError& error) {
    throw BridgeError(error.number, com::utf16ToUtf8(error.description));
}

[[noreturn]] void fail(HRESULT hr) {
    fail(com::AutomationError{hr, com::describeHResult(hr)});
}

// What a browser asks before it lets a page script an object: the class is registered safe
// for scripting, and the object agrees to be called by untrusted callers with untrusted data.
bool safeForScripting(IDispatch* object) {
    com::ComPtr<IObjectSafety> safety;
    if (FAILED(object->QueryInterface(IID_IObjectSafety, safety.outVoid())) || !safety) {
        return false;
    }
    const DWORD wanted = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
    DWORD supported = 0;
    DWORD enabled = 0;
    if (FAILED(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled)) ||
        (supported & wanted) != wanted) {
        return false;
    }
    return SUCCEEDED(safety->SetInterfaceSafetyOptions(IID_IDispatch, wanted, wanted));
}

IID interfaceOf(IDispatch* object) {
    IID iid = IID_NULL;
    ITypeInfo* info = nullptr;
    if (SUCCEEDED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) && info) {
        info->GetInterfaceId(&iid);
        info->Release();
    }
    return iid;
}

} // namespace

Session::Session(OriginPolicy& policy, std::function<void(const std::string&)> admitted)
    : policy_(policy), admitted_(std::move(admitted)) {}

std::string Session::errorReply(std::int64_t id, HRESULT number, const std::string& description) {
    return dump(json{
        {"id", id},
        {"error", {{"number", static_cast<std::int32_t>(number)}, {"description", description}}}});
}

std::string Session::resultReply(std::int64_t id, const json& result) {
    return dump(json{{"id", id}, {"result", result}});
}

std::string Session::handle(std::string_view message, std::int64_t& id) {
    id = 0;
    try {
        Request request = Request::decode(message, id);
        return resultReply(id, run(request));
    } catch (const BridgeError& e) {
        return errorReply(id, e.number(), e.what());
    } catch (const std::bad_alloc&) {
        return errorReply(id, E_OUTOFMEMORY, com::utf16ToUtf8(com::describeHResult(E_OUTOFMEMORY)));
    } catch (const std::exception& e) {
        return errorReply(id, E_FAIL, e.what());
    }
}

json Session::run(const Request& request) {
    policy_.admit(request.origin);
    if (!admittedOnce_) {
        admittedOnce_ = true;
        if (admitted_) {
            admitted_(request.origin);
        }
    }
    switch (request.op) {
    case Operation::Create:
        return create(request.progid);
    case Operation::Release:
        objects_.release(request.handle);
        return nullptr;
    default:
        return invoke(request);
    }
}

json Session::create(const std::string& progid) {
    CLSID clsid{};
    if (!com::clsidFromProgId(progid, &clsid)) {
        fail(com::kCannotCreateObject);
    }
    if (!com::classSafeForScripting(clsid)) {
        throw BridgeError(kRefused, "Acceso denegado: la clase " + progid +
                                        " no es segura para scripts y no se puede crear desde "
                                        "una página web");
    }
    com::ComPtr<IDispatch> object;
    HRESULT hr =
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.outVoid());
    if (FAILED(hr) || !object) {
        fail(com::kCannotCreateObject);
    }
    if (!safeForScripting(object.get())) {
        throw BridgeError(kRefused, "Acceso denegado: el objeto " + progid +
                                        " no acepta llamadas de una página web");
    }
    return json{{"$obj", objects_.add(object.get())}};
}

json Session::invoke(const Request& request) {
    com::MemberLookup& object = objects_.find(request.handle);
    std::optional<com::ResolvedMember> member = object.lookup(com::utf8ToUtf16(request.name));
    if (!member) {
        fail(com::kNoSuchMember);
    }
    if (!member->typed) {
        throw BridgeError(kRefused, "Acceso denegado: el miembro " + request.name +
                                        " no tiene descripción de tipos");
    }
    if (PathMembers::isRefused(interfaceOf(object.dispatch()), request.name)) {
        throw BridgeError(kRefused, "Acceso denegado: " + request.name +
                                        " usa rutas de ficheros y no se puede llamar desde una "
                                        "página web");
    }
    WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    if (request.op == Operation::Get) {
        flags = DISPATCH_PROPERTYGET;
    } else if (request.op == Operation::Put) {
        flags = DISPATCH_PROPERTYPUT;
    }
    const com::DispatchMember* signature = member->signatureFor(flags);
    if (!signature) {
        fail(com::kNoSuchMember);
    }
    const bool put = request.op == Operation::Put;
    if (request.args.size() > kMaxArguments) {
        throw BridgeError(kMalformed, "Mensaje mal formado: demasiados argumentos");
    }
    // DISPPARAMS take the arguments last first.
    std::vector<com::Variant> args;
    if (put) {
        args.push_back(JsonValue::toVariant(
            request.value, com::isBinaryParam(signature, signature->argumentCount() - 1),
            objects_));
    } else {
        for (std::size_t i = request.args.size(); i-- > 0;) {
            args.push_back(JsonValue::toVariant(
                request.args[i], com::isBinaryParam(signature, static_cast<UINT>(i)), objects_));
        }
    }
    // The arguments are handed over as plain VARIANTs and cleared after the call, whatever
    // the callee did to them.
    std::vector<VARIANT> raw(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
        VariantInit(&raw[i]);
        args[i].detach(&raw[i]);
    }
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{raw.empty() ? nullptr : raw.data(), put ? &putId : nullptr,
                      static_cast<UINT>(raw.size()), put ? 1u : 0u};
    com::Variant result;
    EXCEPINFO excepInfo{};
    UINT argErr = 0;
    HRESULT hr =
        object.dispatch()->Invoke(member->dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                  put ? nullptr : result.out(), &excepInfo, &argErr);
    for (VARIANT& v : raw) {
        VariantClear(&v);
    }
    if (FAILED(hr)) {
        fail(com::invokeError(hr, excepInfo));
    }
    com::clearExcepInfo(&excepInfo);
    if (put) {
        return nullptr;
    }
    return JsonValue::fromVariant(*result.get(), com::hasBinaryResult(signature), objects_);
}

} // namespace bridge
