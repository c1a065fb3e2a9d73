target_sources(q2_component PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CBPdf.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBPdfArray.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBPdfDictionary.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBPdfObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBPdfObjectStream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBPdfReference.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBPdfStream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBPdfValue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBPdfXrefStream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBPdfXrefSubsection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBPdfXrefTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBRawPdf.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CPdfSign.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CPdfSignAppearance.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CPdfSignUpdate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DocumentText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DocumentTransfer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FlateDecoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PdfBase64.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PdfEncryptedException.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PdfNumbers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PdfParseException.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PdfSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PdfSign.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PdfText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PngPredictor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QPASigner.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SignatureValue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StreamDecoder.cpp
)
# FlateDecode streams (cross-reference and object streams) are inflated with zlib.
find_package(ZLIB REQUIRED)
target_link_libraries(q2_component PUBLIC ZLIB::ZLIB)
