# Envelopes: QNRecipients and QNEnvelopedData with their CMS and PKCS#7 envelopers, XML
# Encryption, and the raw RSA encryption behind QNCryptoSystem.encrypt / decrypt.
target_sources(q2_component PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CQNEnvelopedData_Internal_CMS.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CQNEnvelopedData_Internal_PKCS7.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EnvelopeEncryption.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EnvelopeFailure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EnvelopeRecipients.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EnvelopeStep.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QNEnvelopedData.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QNRecipients.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RawRsaCall.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RawRsaCipher.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RawRsaKeyBlob.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecipientKeys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XmlEncryption.cpp
)
