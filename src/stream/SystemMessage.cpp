#include "stream/SystemMessage.h"

#include <cstddef>
#include <iterator>

namespace stream {

namespace {

struct Entry {
    uint32_t code;
    const char* text;
};

// English Windows system messages, exactly as FormatMessage gives them. Append rows as new
// codes come into use; a code of the form 0x8007xxxx (a Windows error as HRESULT) falls back
// to the row of xxxx.
constexpr Entry kMessages[] = {
    // Windows errors
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {4, "The system cannot open the file.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {8, "Not enough memory resources are available to process this command.\r\n"},
    {11, "An attempt was made to load a program with an incorrect format.\r\n"},
    {13, "The data is invalid.\r\n"},
    {14, "Not enough memory resources are available to complete this operation.\r\n"},
    {29, "The system cannot write to the specified device.\r\n"},
    {30, "The system cannot read from the specified device.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {38, "Reached the end of the file.\r\n"},
    {50, "The request is not supported.\r\n"},
    {80, "The file exists.\r\n"},
    {86, "The specified network password is not correct.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {112, "There is not enough space on the disk.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {161, "The specified path is invalid.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n"},
    {206, "The filename or extension is too long.\r\n"},
    {234, "More data is available.\r\n"},
    {259, "No more data is available.\r\n"},
    {267, "The directory name is invalid.\r\n"},
    {998, "Invalid access to memory location.\r\n"},
    {1168, "Element not found.\r\n"},
    {1223, "The operation was canceled by the user.\r\n"},
    {1460, "This operation returned because the timeout period expired.\r\n"},
    {1812, "The specified image file did not contain a resource section.\r\n"},
    {1813, "The specified resource type cannot be found in the image file.\r\n"},
    // Windows Sockets
    {10013, "An attempt was made to access a socket in a way forbidden by its access "
            "permissions.\r\n"},
    {10022, "An invalid argument was supplied.\r\n"},
    {10024, "Too many open sockets.\r\n"},
    {10035, "A non-blocking socket operation could not be completed immediately.\r\n"},
    {10038, "An operation was attempted on something that is not a socket.\r\n"},
    {10047, "An address incompatible with the requested protocol was used.\r\n"},
    {10048, "Only one usage of each socket address (protocol/network address/port) is normally "
            "permitted.\r\n"},
    {10049, "The requested address is not valid in its context.\r\n"},
    {10050, "A socket operation encountered a dead network.\r\n"},
    {10051, "A socket operation was attempted to an unreachable network.\r\n"},
    {10053, "An established connection was aborted by the software in your host machine.\r\n"},
    {10054, "An existing connection was forcibly closed by the remote host.\r\n"},
    {10055, "An operation on a socket could not be performed because the system lacked "
            "sufficient buffer space or because a queue was full.\r\n"},
    {10057, "A request to send or receive data was disallowed because the socket is not "
            "connected and (when sending on a datagram socket using a sendto call) no address "
            "was supplied.\r\n"},
    {10060, "A connection attempt failed because the connected party did not properly respond "
            "after a period of time, or established connection failed because connected host "
            "has failed to respond.\r\n"},
    {10061, "No connection could be made because the target machine actively refused it.\r\n"},
    {10064, "A socket operation failed because the destination host was down.\r\n"},
    {10065, "A socket operation was attempted to an unreachable host.\r\n"},
    {10093, "Either the application has not called WSAStartup, or WSAStartup failed.\r\n"},
    {11001, "No such host is known.\r\n"},
    {11002, "This is usually a temporary error during hostname resolution and means that the "
            "local server did not receive a response from an authoritative server.\r\n"},
    {11003, "A non-recoverable error occurred during a database lookup.\r\n"},
    {11004, "The requested name is valid, but no data of the requested type was found.\r\n"},
    // COM and OLE Automation
    {0x80004001, "Not implemented\r\n"},
    {0x80004002, "No such interface supported\r\n"},
    {0x80004003, "Invalid pointer\r\n"},
    {0x80004004, "Operation aborted\r\n"},
    {0x80004005, "Unspecified error\r\n"},
    {0x8000FFFF, "Catastrophic failure\r\n"},
    {0x80020003, "Member not found.\r\n"},
    {0x80020004, "Parameter not found.\r\n"},
    {0x80020005, "Type mismatch.\r\n"},
    {0x80020006, "Unknown name.\r\n"},
    {0x80020008, "Bad variable type.\r\n"},
    {0x80020009, "Exception occurred.\r\n"},
    {0x8002000A, "Out of present range.\r\n"},
    {0x8002000B, "Invalid index.\r\n"},
    {0x8002000E, "Invalid number of parameters.\r\n"},
    {0x8002000F, "Parameter not optional.\r\n"},
    {0x80040110, "Class does not support aggregation (or class object is remote)\r\n"},
    {0x80040111, "ClassFactory cannot supply requested class\r\n"},
    {0x80040154, "Class not registered\r\n"},
    {0x800401F3, "Invalid class string\r\n"},
    {0x8007000E, "Not enough memory resources are available to complete this operation.\r\n"},
    {0x80070057, "The parameter is incorrect.\r\n"},
    // Cryptographic service providers
    {0x80090001, "Bad UID.\r\n"},
    {0x80090002, "Bad Hash.\r\n"},
    {0x80090003, "Bad Key.\r\n"},
    {0x80090004, "Bad Length.\r\n"},
    {0x80090005, "Bad Data.\r\n"},
    {0x80090006, "Invalid Signature.\r\n"},
    {0x80090007, "Bad Version of provider.\r\n"},
    {0x80090008, "Invalid algorithm specified.\r\n"},
    {0x80090009, "Invalid flags specified.\r\n"},
    {0x8009000A, "Invalid type specified.\r\n"},
    {0x8009000B, "Key not valid for use in specified state.\r\n"},
    {0x8009000C, "Hash not valid for use in specified state.\r\n"},
    {0x8009000D, "Key does not exist.\r\n"},
    {0x8009000E, "Insufficient memory available for the operation.\r\n"},
    {0x8009000F, "Object already exists.\r\n"},
    {0x80090010, "Access denied.\r\n"},
    {0x80090011, "Object was not found.\r\n"},
    {0x80090014, "Invalid provider type specified.\r\n"},
    {0x80090015, "Provider's public key is invalid.\r\n"},
    {0x80090016, "Keyset does not exist\r\n"},
    {0x8009001F, "The Keyset parameter is invalid.\r\n"},
    {0x80090020, "An internal error occurred.\r\n"},
    {0x80090022, "Provider could not perform the action since the context was acquired as "
                 "silent.\r\n"},
    {0x80090027, "The parameter is incorrect.\r\n"},
    {0x80090029, "The requested operation is not supported.\r\n"},
    // Cryptographic messages and certificates
    {0x80091001, "An error occurred while performing an operation on a cryptographic "
                 "message.\r\n"},
    {0x80091002, "Unknown cryptographic algorithm.\r\n"},
    {0x80091003, "The object identifier is poorly formatted.\r\n"},
    {0x80091004, "Invalid cryptographic message type.\r\n"},
    {0x80091005, "Unexpected cryptographic message encoding.\r\n"},
    {0x80091006, "The cryptographic message does not contain an expected authenticated "
                 "attribute.\r\n"},
    {0x80091007, "The hash value is not correct.\r\n"},
    {0x80091008, "The index value is not valid.\r\n"},
    {0x8009100E, "Cannot find the original signer.\r\n"},
    {0x80092002, "An error occurred during encode or decode operation.\r\n"},
    {0x80092003, "An error occurred while reading or writing to a file.\r\n"},
    {0x80092004, "Cannot find object or property.\r\n"},
    {0x80092005, "The object or property already exists.\r\n"},
    {0x80092006, "No provider was specified for the store or object.\r\n"},
    {0x80092009, "Cannot find the requested object.\r\n"},
    {0x8009200B, "Cannot find the certificate and private key for decryption.\r\n"},
    {0x8009200C, "Cannot find the certificate and private key to use for decryption.\r\n"},
    {0x8009200E, "The signed cryptographic message does not have a signer for the specified "
                 "signer index.\r\n"},
    {0x80092010, "The certificate is revoked.\r\n"},
    {0x80092012, "The revocation function was unable to check revocation for the "
                 "certificate.\r\n"},
    {0x80092013, "The revocation function was unable to check revocation because the "
                 "revocation server was offline.\r\n"},
    {0x80092029, "The string contains an invalid X500 name attribute key, oid, value or "
                 "delimiter.\r\n"},
    {0x80093102, "ASN1 unexpected end of data.\r\n"},
    {0x80093103, "ASN1 corrupted data.\r\n"},
    {0x80093104, "ASN1 value too large.\r\n"},
    {0x8009310B, "ASN1 bad tag value met.\r\n"},
    {0x80096004, "The signature of the certificate cannot be verified.\r\n"},
    {0x80096010, "The digital signature of the object did not verify.\r\n"},
    {0x800B0100, "No signature was present in the subject.\r\n"},
    {0x800B0101, "A required certificate is not within its validity period when verifying "
                 "against the current system clock or the timestamp in the signed file.\r\n"},
    {0x800B0105, "A certificate contains an unknown extension that is marked 'critical'.\r\n"},
    {0x800B0107, "A parent of a given certificate in fact did not issue that child "
                 "certificate.\r\n"},
    {0x800B0109, "A certificate chain processed, but terminated in a root certificate which is "
                 "not trusted by the trust provider.\r\n"},
    {0x800B010A, "A certificate chain could not be built to a trusted root authority.\r\n"},
    {0x800B010B, "Generic trust failure.\r\n"},
    {0x800B010C, "A certificate was explicitly revoked by its issuer.\r\n"},
    {0x800B010D, "The certification path terminates in the test root which is not trusted with "
                 "the current policy settings.\r\n"},
    {0x800B010F, "The certificate's CN name does not match the passed value.\r\n"},
    {0x800B0110, "The certificate is not valid for the requested usage.\r\n"},
    // Certificate library (in place of CAPICOM)
    {0x80880210, "The Certificate object has not been initialized.\r\n"},
    {0x80880902, "The operation was canceled by the user.\r\n"},
};

const char* find(uint32_t code) {
    for (const Entry& entry : kMessages) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return nullptr;
}

} // namespace

std::string SystemMessage::text(uint32_t code) {
    const char* found = find(code);
    if (found == nullptr && (code & 0xFFFF0000u) == 0x80070000u) {
        found = find(code & 0xFFFFu);
    }
    return found ? std::string(found) : std::string();
}

} // namespace stream
