#include "com/AutomationError.h"

#include "com/BStr.h"
#include "com/ClassFactory.h"
#include "com/HResult.h"

#include <cstdio>

namespace com {

std::u16string describeHResult(HRESULT hr) {
    struct Entry {
        HRESULT code;
        const char16_t* text;
    };
    static const Entry table[] = {
        {kCannotCreateObject, u"Automation server can't create object"},
        {kNoSuchMember, u"Object doesn't support this property or method"},
        {kTypeMismatch, u"Type mismatch"},
        {kSubscriptOutOfRange, u"Subscript out of range"},
        {kVBArrayExpected, u"VBArray expected"},
        {E_FAIL, u"Unspecified error"},
        {E_NOTIMPL, u"Not implemented"},
        {E_NOINTERFACE, u"No such interface supported"},
        {E_POINTER, u"Invalid pointer"},
        {E_ABORT, u"Operation aborted"},
        {E_UNEXPECTED, u"Catastrophic failure"},
        {E_ACCESSDENIED, u"Access is denied."},
        {E_OUTOFMEMORY, u"Not enough memory resources are available to complete this operation."},
        {E_INVALIDARG, u"The parameter is incorrect."},
        {DISP_E_UNKNOWNINTERFACE, u"Unknown interface."},
        {DISP_E_MEMBERNOTFOUND, u"Member not found."},
        {DISP_E_PARAMNOTFOUND, u"Parameter not found."},
        {DISP_E_TYPEMISMATCH, u"Type mismatch."},
        {DISP_E_UNKNOWNNAME, u"Unknown name."},
        {DISP_E_NONAMEDARGS, u"No named arguments."},
        {DISP_E_BADVARTYPE, u"Bad variable type."},
        {DISP_E_EXCEPTION, u"Exception occurred."},
        {DISP_E_OVERFLOW, u"Out of present range."},
        {DISP_E_BADINDEX, u"Invalid index."},
        {DISP_E_BADPARAMCOUNT, u"Invalid number of parameters."},
        {DISP_E_PARAMNOTOPTIONAL, u"Parameter not optional."},
        {CLASS_E_CLASSNOTAVAILABLE, u"ClassFactory cannot supply requested class"},
        {CLASS_E_NOAGGREGATION, u"Class does not support aggregation (or class object is remote)"},
        {REGDB_E_CLASSNOTREG, u"Class not registered"},
        {CO_E_CLASSSTRING, u"Invalid class string"},
    };
    for (const Entry& e : table) {
        if (e.code == hr) {
            return e.text;
        }
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "Unknown error 0x%08X", static_cast<unsigned>(hr));
    return utf8ToUtf16(buffer);
}

AutomationError invokeError(HRESULT hr, EXCEPINFO& excepInfo) {
    AutomationError error{hr, {}};
    if (hr == DISP_E_EXCEPTION) {
        if (excepInfo.pfnDeferredFillIn) {
            excepInfo.pfnDeferredFillIn(&excepInfo);
        }
        if (excepInfo.scode != 0) {
            error.number = excepInfo.scode;
        } else if (excepInfo.wCode != 0) {
            error.number = static_cast<HRESULT>(0x800A0000u | excepInfo.wCode);
        }
        error.description = bstrToUtf16(excepInfo.bstrDescription);
    } else {
        error.description = describeHResult(hr);
    }
    clearExcepInfo(&excepInfo);
    return error;
}

} // namespace com
