target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FolderStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StorePaths.cpp
)
