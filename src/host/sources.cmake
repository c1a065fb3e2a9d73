target_sources(qnscript PRIVATE
    ComError.cpp
    DispatchWrapper.cpp
    DukAllocator.cpp
    DukText.cpp
    HostState.cpp
    ScriptHost.cpp
    Values.cpp
    VBArray.cpp
    WScriptObject.cpp
    main.cpp
)
