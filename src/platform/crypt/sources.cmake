target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CryptErrors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Digest.cpp
)
target_link_libraries(q2_platform PUBLIC OpenSSL::Crypto)
