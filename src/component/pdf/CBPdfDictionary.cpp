#include "component/pdf/CBPdfDictionary.h"

#include "component/pdf/PdfLog.h"
#include "component/pdf/PdfParseException.h"

#include <algorithm>

namespace component::pdf {

namespace {
bool isDictionary(const CBPdfObject& object) {
    return object.GetTypeName() == "Dictionary";
}
} // namespace

CBPdfDictionary::CBPdfDictionary(CBPdfObject* parent) : CBPdfObject(parent) {}

size_t CBPdfDictionary::GetStringSize() const {
    size_t size = 2 + 4;
    for (const std::string& key : order_) {
        const CBPdfObject& value = *values_.find(key)->second;
        size += key.size() + 1 + value.GetStringSize() + (isDictionary(value) ? 2 : 0);
    }
    return size;
}

void CBPdfDictionary::AppendTo(std::string& out) const {
    out += "<<";
    for (const std::string& key : order_) {
        const CBPdfObject& value = *values_.find(key)->second;
        out += key;
        out += ' ';
        value.AppendTo(out);
        if (isDictionary(value)) {
            out += "\r\n";
        }
    }
    out += ">>\r\n";
}

void CBPdfDictionary::Add(const std::string& key, std::unique_ptr<CBPdfObject> value) {
    if (values_.count(key) != 0) {
        pdfError("El item que intenta agregar ya existente en el diccionario.");
        throw PdfParseException();
    }
    values_.emplace(key, std::move(value));
    order_.push_back(key);
}

bool CBPdfDictionary::Lookup(const std::string& key, CBPdfObject*& value) const {
    auto it = values_.find(key);
    if (it == values_.end()) {
        return false;
    }
    value = it->second.get();
    return true;
}

CBPdfObject* CBPdfDictionary::Lookup(const std::string& key) const {
    auto it = values_.find(key);
    return it == values_.end() ? nullptr : it->second.get();
}

std::unique_ptr<CBPdfObject> CBPdfDictionary::Remove(const std::string& key) {
    auto it = values_.find(key);
    if (it == values_.end()) {
        return nullptr;
    }
    std::unique_ptr<CBPdfObject> value = std::move(it->second);
    values_.erase(it);
    order_.erase(std::find(order_.begin(), order_.end(), key));
    return value;
}

} // namespace component::pdf
