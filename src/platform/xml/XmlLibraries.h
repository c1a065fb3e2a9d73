#pragma once

namespace platform::xml {

// Starts Xerces-C, Xalan-C (XPathEvaluator and XalanTransformer) and XML-Security-C with its
// OpenSSL provider, in that order, once per process: later calls return the first outcome.
// The libraries are never terminated (other code of the process may still hold their
// objects when the module goes).
class XmlLibraries {
public:
    enum class Outcome {
        Started,
        XmlLibraryFailure, // an exception of one of the XML libraries
        OtherFailure,      // any other exception
    };

    static Outcome initialise() noexcept;
    static bool initialised() noexcept;
    // initialise(), raising StreamException kXmlFailureCode when the libraries did not start.
    // Every entry point of this layer calls it, so the layer also works without the module.
    static void require();
};

} // namespace platform::xml
