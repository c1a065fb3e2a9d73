# The bridge's classes form q2_bridge (everything but main.cpp), which the tests and the fuzz
# target use too. Requires nlohmann-json3-dev.
q2_layer_library(q2_bridge LAYER bridge REQUIRES q2com q2_stream)
target_sources(q2_bridge PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CallerCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileWriting.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HostManifest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Installer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IsoDate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JsonValue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MessageReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MessageWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ObjectTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OriginPolicy.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PathMembers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RememberedOrigins.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReplyChunker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Request.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Session.cpp
)
target_link_libraries(q2_bridge PUBLIC nlohmann_json::nlohmann_json)
