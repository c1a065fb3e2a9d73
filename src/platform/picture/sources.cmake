target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CPicture.cpp
)
