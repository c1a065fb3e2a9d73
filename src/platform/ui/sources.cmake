target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DialogPaths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NoUserInteraction.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScriptedUserInteraction.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TerminalUserInteraction.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UserInteraction.cpp
)
