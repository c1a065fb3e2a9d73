target_sources(q2com PRIVATE
    Activation.cpp
    BStr.cpp
    DispatchCall.cpp
    DispatchEngine.cpp
    ErrorInfo.cpp
    Guid.cpp
    OleDate.cpp
    Registration.cpp
    Registry.cpp
    RegistryFile.cpp
    SafeArray.cpp
    TypeInfo.cpp
    Variant.cpp
    VariantChangeType.cpp
)
