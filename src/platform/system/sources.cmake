target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Charset.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ServicePack.cpp
)
