target_sources(q2_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Certificate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CertificateIssuer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChainEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CryptErrors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DerReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DerWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Digest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DigestAlgorithms.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EnvelopedDataDecoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EnvelopedDataEncoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EnvelopedMessage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyProvider.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyUseConsent.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NameString.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenSslHandles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Pkcs12.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RsaKey.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SignedDataEncoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SignedDataParser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SignerCheck.cpp
)
target_link_libraries(q2_platform PUBLIC OpenSSL::Crypto)
