#pragma once

namespace component::module {

// Initialises Xerces-C, Xalan-C (XPathEvaluator and XalanTransformer) and XML-Security-C
// with its OpenSSL provider, in that order. A failure is logged at ERROR ("XMLException" for
// an XML library exception, "Exception" for any other) and loading goes on. The libraries
// are never terminated, so the work is done once per process however often the module is
// attached.
class XmlLibraries {
public:
    static void initialise() noexcept;
    static bool initialised() noexcept;
};

} // namespace component::module
