// content_bench MODE ARG: drives QNContent through IDispatch, as a script host does, and
// prints the wall time of the measured part in seconds.
//   hash FILE      loadFileWithPath + getHash (SHA-256)
//   load FILE      loadFileWithPath only (for the peak RSS under /usr/bin/time -v)
//   base64 FILE    loadFileWithPath, then toBASE64 (timed), then setBASE64 (timed)
//   strings N      N times contentString put + get

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "com/Com.h"

namespace {

class Object {
public:
    explicit Object(const char16_t* progId) {
        CLSID clsid{};
        if (FAILED(CLSIDFromProgID(progId, &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                    reinterpret_cast<void**>(dispatch_.out())))) {
            std::fprintf(stderr, "cannot create the object\n");
            std::exit(1);
        }
    }
    DISPID id(const char16_t* name) {
        DISPID dispid = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
        return dispid;
    }
    // arguments in call order; a property put takes its value as the only argument.
    com::Variant call(DISPID dispid, WORD flags, std::vector<VARIANT> arguments = {}) {
        std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
        DISPID named = DISPID_PROPERTYPUT;
        bool put = flags == DISPATCH_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), put ? &named : nullptr,
                          static_cast<UINT>(reversed.size()), put ? 1u : 0u};
        com::Variant result;
        EXCEPINFO info{};
        HRESULT hr = dispatch_->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                       put ? nullptr : result.out(), &info, nullptr);
        if (FAILED(hr)) {
            std::fprintf(stderr, "call failed: 0x%08X\n", static_cast<unsigned>(hr));
            std::exit(1);
        }
        com::clearExcepInfo(&info);
        return result;
    }

private:
    com::ComPtr<IDispatch> dispatch_;
};

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: content_bench hash|load|base64|strings ARG\n");
        return 2;
    }
    std::string error;
    const char* module = std::getenv("QUILLION_MODULE");
    if (module == nullptr || !com::loadModule(module, &error)) {
        std::fprintf(stderr, "cannot load QUILLION_MODULE: %s\n", error.c_str());
        return 1;
    }
    std::string mode = argv[1];
    Object content(u"Quillion2.QNContent");
    auto start = std::chrono::steady_clock::now();
    if (mode == "strings") {
        long n = std::strtol(argv[2], nullptr, 10);
        DISPID dispid = content.id(u"contentString");
        for (long i = 0; i < n; ++i) {
            com::Variant text = com::Variant::fromText(u"texto de prueba ñ");
            content.call(dispid, DISPATCH_PROPERTYPUT, {*text.get()});
            content.call(dispid, DISPATCH_PROPERTYGET);
        }
        std::printf("strings %.3f\n", seconds(start));
        return 0;
    }
    com::Variant path = com::Variant::fromUtf8(argv[2]);
    if (mode == "hash") {
        Object system(u"Quillion2.QNCryptoSystem");
        com::Variant name = com::Variant::fromText(u"HashAlgorithm");
        com::Variant oid = com::Variant::fromText(u"2.16.840.1.101.3.4.2.1");
        system.call(system.id(u"setProperty"), DISPATCH_METHOD, {*name.get(), *oid.get()});
        start = std::chrono::steady_clock::now();
    }
    content.call(content.id(u"loadFileWithPath"), DISPATCH_METHOD, {*path.get()});
    if (mode == "load") {
        std::printf("load %.3f\n", seconds(start));
    } else if (mode == "hash") {
        com::Variant digest = content.call(content.id(u"getHash"), DISPATCH_METHOD);
        std::printf("hash %.3f %s\n", seconds(start),
                    com::bstrToUtf8(digest.get()->bstrVal).c_str());
    } else if (mode == "base64") {
        start = std::chrono::steady_clock::now();
        com::Variant text = content.call(content.id(u"toBASE64"), DISPATCH_METHOD);
        double encode = seconds(start);
        start = std::chrono::steady_clock::now();
        content.call(content.id(u"setBASE64"), DISPATCH_METHOD, {*text.get()});
        std::printf("toBASE64 %.3f setBASE64 %.3f\n", encode, seconds(start));
    }
    return 0;
}
