target_sources(q2_component PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/BstrText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CCollection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CContent.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CQNCryptoSystem.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ModeTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QNCollection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QNContent.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QNCryptoSystem.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XadesVersion.cpp
)
