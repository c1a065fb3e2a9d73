#pragma once

#include "com/BStr.h"
#include "component/content/IQNContent.h"
#include "component/pdf/IPdfSign.h"

#include <optional>
#include <string_view>

namespace component::pdf {

// A document on its way from a QNContent to a PdfSign, which take it as Base64 text
// (toBASE64, then Set_Base64). When both objects are the component's own, the bytes go
// across as they are, with the same log lines and results, instead of being encoded only to be
// decoded again.
class DocumentText {
public:
    // toBASE64 of content (none for a null content). For a content of ours this is a view of
    // its bytes: the content must stay unchanged until the text has been loaded.
    static DocumentText of(content::IQNContent* content);

    // Set_Base64 with the text, and its result; or the failure of toBASE64.
    HRESULT loadInto(IPdfSign* pdf) const;

private:
    HRESULT taken_ = S_OK;
    com::BStr text_;
    std::optional<std::string_view> bytes_;
};

} // namespace component::pdf
