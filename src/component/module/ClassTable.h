#pragma once

#include <array>
#include <cstddef>

#include "com/IClassFactory.h"
#include "component/module/ClassInfo.h"

namespace component::module {

// Makes a new class factory with one reference (null when out of memory).
using FactoryMaker = IClassFactory* (*)();

// One row per scriptable class, in registration order. A row whose makeFactory is null
// belongs to a class not built yet: its CLSID answers CLASS_E_CLASSNOTAVAILABLE.
//
// Plugging a class in: its class derives from com::DispatchObject (com/DispatchObject.h);
// in ClassTable.cpp include its header and replace the null of its row with
//     &com::ClassFactory<QNSignData>::make
// That is the only change the module needs; registration, the registration-free activation
// and DllGetClassObject follow the table.
struct ClassRow {
    const ClassInfo* info;
    FactoryMaker makeFactory;
};

inline constexpr size_t kClassCount = 13;

const std::array<ClassRow, kClassCount>& classTable();
// The row index of clsid, or kClassCount when it is not in the table.
size_t findClass(REFCLSID clsid);

} // namespace component::module
