#include "host/VBArray.h"

#include "host/ComError.h"
#include "host/NativeFunction.h"
#include "host/Values.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

namespace host {

namespace {

constexpr const char* kArrayProp = "\xFF"
                                   "safearray";
constexpr const char* kPrototypeStash = "qnVBArrayPrototype";

// One SAFEARRAY shared by the opaque values and VBArrays made from it.
class ArrayBox {
public:
    explicit ArrayBox(SAFEARRAY* array) : array_(array) {}
    void addRef() { refs_.fetch_add(1); }
    void release() {
        if (refs_.fetch_sub(1) == 1) {
            delete this;
        }
    }
    SAFEARRAY* get() const { return array_.get(); }

private:
    ~ArrayBox() = default;
    std::atomic<int> refs_{1};
    com::SafeArray array_;
};

ArrayBox* boxAt(duk_context* ctx, duk_idx_t idx) {
    if (!duk_is_object(ctx, idx)) {
        return nullptr;
    }
    // Own property of our own plain objects only: no script code runs here.
    if (!duk_get_prop_string(ctx, idx, kArrayProp)) {
        duk_pop(ctx);
        return nullptr;
    }
    auto* box = static_cast<ArrayBox*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    return box;
}

duk_ret_t finalizeBox(duk_context* ctx) {
    if (ArrayBox* box = boxAt(ctx, 0)) {
        duk_push_pointer(ctx, nullptr);
        duk_put_prop_string(ctx, 0, kArrayProp);
        box->release();
    }
    return 0;
}

// Gives the object at the top of the stack a new reference to `box`.
void attachBox(duk_context* ctx, ArrayBox* box) {
    box->addRef();
    duk_push_pointer(ctx, box);
    duk_put_prop_string(ctx, -2, kArrayProp);
    duk_push_c_function(ctx, finalizeBox, 1);
    duk_set_finalizer(ctx, -2);
}

// The element at `element` as a borrowed VARIANT view (BSTRs and interfaces not copied).
SAFEARRAY* thisArray(duk_context* ctx) {
    duk_push_this(ctx);
    ArrayBox* box = boxAt(ctx, -1);
    duk_pop(ctx);
    return box ? box->get() : nullptr;
}

duk_ret_t vbArrayExpected(duk_context* ctx) {
    pushComError(ctx, kVBArrayExpected, describeHResult(kVBArrayExpected));
    return -1;
}

duk_ret_t outOfRange(duk_context* ctx) {
    pushComError(ctx, kSubscriptOutOfRange, describeHResult(kSubscriptOutOfRange));
    return -1;
}

// The dimension argument (1 when omitted); 0 when it is not a usable number.
UINT dimensionArg(duk_context* ctx) {
    if (duk_is_undefined(ctx, 0)) {
        return 1;
    }
    if (!duk_is_number(ctx, 0)) {
        return 0;
    }
    double d = duk_get_number(ctx, 0);
    if (!(d >= 1 && d <= 64)) {
        return 0;
    }
    return static_cast<UINT>(d);
}

duk_ret_t dimensionsBody(duk_context* ctx) {
    SAFEARRAY* psa = thisArray(ctx);
    if (!psa) {
        return vbArrayExpected(ctx);
    }
    duk_push_uint(ctx, SafeArrayGetDim(psa));
    return 1;
}

duk_ret_t lboundBody(duk_context* ctx) {
    SAFEARRAY* psa = thisArray(ctx);
    if (!psa) {
        return vbArrayExpected(ctx);
    }
    LONG bound = 0;
    if (FAILED(SafeArrayGetLBound(psa, dimensionArg(ctx), &bound))) {
        return outOfRange(ctx);
    }
    duk_push_int(ctx, bound);
    return 1;
}

duk_ret_t uboundBody(duk_context* ctx) {
    SAFEARRAY* psa = thisArray(ctx);
    if (!psa) {
        return vbArrayExpected(ctx);
    }
    LONG bound = 0;
    if (FAILED(SafeArrayGetUBound(psa, dimensionArg(ctx), &bound))) {
        return outOfRange(ctx);
    }
    duk_push_int(ctx, bound);
    return 1;
}

duk_ret_t getItemBody(duk_context* ctx) {
    duk_idx_t count = duk_get_top(ctx);
    SAFEARRAY* psa = thisArray(ctx);
    if (!psa) {
        return vbArrayExpected(ctx);
    }
    if (static_cast<UINT>(count) != SafeArrayGetDim(psa)) {
        return outOfRange(ctx);
    }
    std::vector<LONG> indices(static_cast<std::size_t>(count));
    for (duk_idx_t i = 0; i < count; ++i) {
        if (!duk_is_number(ctx, i)) {
            pushComError(ctx, kTypeMismatch, describeHResult(kTypeMismatch));
            return -1;
        }
        double d = duk_get_number(ctx, i);
        if (!(d >= -2147483648.0 && d <= 2147483647.0)) {
            return outOfRange(ctx);
        }
        indices[static_cast<std::size_t>(i)] = static_cast<LONG>(std::trunc(d));
    }
    void* element = nullptr;
    if (FAILED(SafeArrayPtrOfIndex(psa, indices.data(), &element))) {
        return outOfRange(ctx);
    }
    if (!pushVariant(ctx, SafeArrayElementView(psa, element), false)) {
        pushOutOfMemory(ctx);
        return -1;
    }
    return 1;
}

duk_ret_t toArrayBody(duk_context* ctx) {
    SAFEARRAY* psa = thisArray(ctx);
    if (!psa) {
        return vbArrayExpected(ctx);
    }
    std::size_t count = 1;
    for (USHORT i = 0; i < psa->cDims; ++i) {
        count *= psa->rgsabound[i].cElements;
    }
    duk_push_array(ctx);
    const auto* data = static_cast<const unsigned char*>(psa->pvData);
    for (std::size_t i = 0; i < count; ++i) {
        if (!pushVariant(ctx, SafeArrayElementView(psa, data + i * psa->cbElements), false)) {
            pushOutOfMemory(ctx);
            return -1;
        }
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
    }
    return 1;
}

// new VBArray(safeArrayValue)
duk_ret_t constructBody(duk_context* ctx) {
    ArrayBox* box = boxAt(ctx, 0);
    if (!box) {
        return vbArrayExpected(ctx);
    }
    duk_push_object(ctx);
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, kPrototypeStash);
    duk_remove(ctx, -2);
    duk_set_prototype(ctx, -2);
    attachBox(ctx, box);
    return 1;
}

} // namespace

void registerVBArray(duk_context* ctx) {
    duk_push_object(ctx); // the prototype
    const duk_function_list_entry methods[] = {
        {"dimensions", native<dimensionsBody>, 0}, {"lbound", native<lboundBody>, 1},
        {"ubound", native<uboundBody>, 1},         {"getItem", native<getItemBody>, DUK_VARARGS},
        {"toArray", native<toArrayBody>, 0},       {nullptr, nullptr, 0},
    };
    duk_put_function_list(ctx, -1, methods);
    duk_push_global_stash(ctx);
    duk_dup(ctx, -2);
    duk_put_prop_string(ctx, -2, kPrototypeStash);
    duk_pop(ctx);
    duk_push_c_function(ctx, native<constructBody>, 1);
    duk_dup(ctx, -2);
    duk_put_prop_string(ctx, -2, "prototype");
    duk_put_global_string(ctx, "VBArray");
    duk_pop(ctx);
}

void pushSafeArray(duk_context* ctx, SAFEARRAY* array) {
    if (!array) {
        duk_push_null(ctx);
        return;
    }
    SAFEARRAY* copy = nullptr;
    if (FAILED(SafeArrayCopy(array, &copy)) || !copy) {
        duk_push_null(ctx);
        return;
    }
    auto* box = new ArrayBox(copy);
    duk_push_object(ctx);
    attachBox(ctx, box);
    box->release();
}

SAFEARRAY* heldSafeArray(duk_context* ctx, duk_idx_t idx) {
    ArrayBox* box = boxAt(ctx, idx);
    return box ? box->get() : nullptr;
}

} // namespace host
