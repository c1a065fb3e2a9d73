target_sources(q2_stream PRIVATE
    exceptions/ArrayBoundsException.cpp
    exceptions/CryptException.cpp
    exceptions/FileStreamException.cpp
    exceptions/LogException.cpp
    exceptions/SocketStreamException.cpp
    exceptions/StreamException.cpp
    exceptions/TokenizerException.cpp
    exceptions/UtilStreamException.cpp
    exceptions/Win32ErrorException.cpp
    SystemMessage.cpp
)
