target_sources(q2_component PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CQNQuillionUtility.cpp
)
