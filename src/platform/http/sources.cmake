target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CurlHandles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CurlTransfer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FetchURL.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HTTPRequest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InternetErrors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MemoryBuffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PageAccess.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RequestDescription.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WinInetHTTPSocketIO.cpp
)
target_link_libraries(q2_platform PUBLIC CURL::libcurl Threads::Threads)
