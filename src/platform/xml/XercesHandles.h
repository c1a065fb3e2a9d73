#pragma once

#include <memory>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMLSOutput.hpp>
#include <xercesc/dom/DOMLSSerializer.hpp>

namespace platform::xml {

// Owners of Xerces objects that are given back with release().
struct XercesReleaser {
    template <class T> void operator()(T* object) const noexcept {
        if (object != nullptr) {
            object->release();
        }
    }
};

using DocumentPtr = std::unique_ptr<xercesc::DOMDocument, XercesReleaser>;
using SerializerPtr = std::unique_ptr<xercesc::DOMLSSerializer, XercesReleaser>;
using OutputPtr = std::unique_ptr<xercesc::DOMLSOutput, XercesReleaser>;

} // namespace platform::xml
