#include "component/pdf/CBPdfArray.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfReference.h"
#include "component/pdf/CBPdfStream.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/CBPdfXrefTable.h"
#include "component/pdf/PdfParseException.h"

#include <gtest/gtest.h>

using namespace component::pdf;

namespace {

std::unique_ptr<CBPdfValue> v(const char* text) {
    return std::make_unique<CBPdfValue>(nullptr, text);
}

std::string streamBytes(const CBPdfStream& stream) {
    std::string out;
    stream.WriteTo(out);
    return out;
}

} // namespace

TEST(PdfObjectModel, KindsAndCodes) {
    CBPdfObject base;
    EXPECT_EQ(base.GetCode(), 0);
    EXPECT_EQ(base.GetTypeName(), "");
    EXPECT_EQ(base.ToString(), "");
    CBPdfReference reference(nullptr, "12 0 R");
    EXPECT_EQ(reference.GetCode(), 5);
    EXPECT_EQ(reference.GetTypeName(), "Reference");
    EXPECT_EQ(reference.ToString(), "12 0 R");
    EXPECT_EQ(CBPdfArray(nullptr).GetCode(), 7);
    EXPECT_EQ(CBPdfDictionary(nullptr).GetCode(), 8);
    EXPECT_EQ(CBPdfStream(nullptr, nullptr).GetCode(), 9);
    EXPECT_EQ(v("/Sig")->GetCode(), 4);
}

TEST(PdfObjectModel, DictionaryWorkedExample) {
    CBPdfDictionary d(nullptr);
    d.Add("/Type", v("/Sig"));
    d.Add("/Filter", v("/Adobe.PPKMS"));
    EXPECT_EQ(d.ToString(), "<</Type /Sig/Filter /Adobe.PPKMS>>\r\n");
    EXPECT_EQ(d.GetStringSize(), 36u);
}

TEST(PdfObjectModel, NestedSizesMatchSerialisation) {
    CBPdfDictionary outer(nullptr);
    auto inner = std::make_unique<CBPdfDictionary>(nullptr);
    auto innermost = std::make_unique<CBPdfDictionary>(nullptr);
    innermost->Add("/N", std::make_unique<CBPdfReference>(nullptr, "5 0 R"));
    inner->Add("/AP", std::move(innermost));
    auto array = std::make_unique<CBPdfArray>(nullptr);
    array->Add(v("1"));
    auto nested = std::make_unique<CBPdfDictionary>(nullptr);
    nested->Add("/X", v("(a b)"));
    array->Add(std::move(nested));
    array->Add(std::make_unique<CBPdfArray>(nullptr));
    inner->Add("/Arr", std::move(array));
    outer.Add("/Subtype ", v("/Widget"));
    outer.Add("/Inner", std::move(inner));
    std::string text = outer.ToString();
    EXPECT_EQ(outer.GetStringSize(), text.size());
    EXPECT_NE(text.find("/Subtype  /Widget"), std::string::npos);
    EXPECT_NE(text.find(">>\r\n\r\n"), std::string::npos);
}

TEST(PdfObjectModel, KeysAreExact) {
    CBPdfDictionary d(nullptr);
    d.Add("/Subtype ", v("/Widget"));
    EXPECT_EQ(d.Lookup("/Subtype"), nullptr);
    EXPECT_NE(d.Lookup("/Subtype "), nullptr);
    CBPdfObject* out = nullptr;
    EXPECT_FALSE(CBPdfDictionary(nullptr).Lookup("/A", out));
}

TEST(PdfObjectModel, DuplicateKeyAbortsAndKeepsFirst) {
    CBPdfDictionary d(nullptr);
    d.Add("/A", v("1"));
    EXPECT_THROW(d.Add("/A", v("2")), PdfParseException);
    EXPECT_EQ(d.ToString(), "<</A 1>>\r\n");
}

TEST(PdfObjectModel, RemoveAndReAddMovesKeyLast) {
    CBPdfDictionary d(nullptr);
    d.Add("/A", v("1"));
    d.Add("/B", v("2"));
    std::unique_ptr<CBPdfObject> a = d.Remove("/A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(d.Remove("/Z"), nullptr);
    d.Add("/A", std::move(a));
    EXPECT_EQ(d.ToString(), "<</B 2/A 1>>\r\n");
}

TEST(PdfObjectModel, Arrays) {
    CBPdfArray empty(nullptr);
    EXPECT_EQ(empty.ToString(), "[]");
    EXPECT_EQ(empty.GetStringSize(), 2u);
    CBPdfArray one(nullptr);
    one.Add(v("5"));
    EXPECT_EQ(one.ToString(), "[5]");
    EXPECT_EQ(one.GetStringSize(), 3u);
    one.Add(v("6 0 R"));
    EXPECT_EQ(one.ToString(), "[5 6 0 R]");
    EXPECT_EQ(one.GetSize(), 2u);
    EXPECT_EQ(one.GetElement(2), nullptr);
}

TEST(PdfObjectModel, StreamsWriteRawBytes) {
    auto dictionary = std::make_unique<CBPdfDictionary>(nullptr);
    dictionary->Add("/Length", v("3"));
    CBPdfStream stream(nullptr, std::move(dictionary));
    const unsigned char raw[3] = {0xFF, 0x00, 0xD8};
    stream.SetRawData(raw, 3);
    EXPECT_EQ(stream.ToString(), "<</Length 3>>\r\nstream\r\n\r\nendstream\r\n");
    std::string written = streamBytes(stream);
    std::string expected = "<</Length 3>>\r\nstream\r\n";
    expected.append(reinterpret_cast<const char*>(raw), 3);
    expected += "\r\nendstream\r\n";
    EXPECT_EQ(written, expected);
    EXPECT_EQ(stream.GetStringSize(), written.size());

    CBPdfStream text(nullptr, std::make_unique<CBPdfDictionary>(nullptr));
    text.SetData("BT ET");
    EXPECT_EQ(text.ToString(), streamBytes(text));
    EXPECT_EQ(text.GetStringSize(), text.ToString().size());
}

TEST(PdfObjectModel, CrossReferenceWriter) {
    CBPdfXrefTable table;
    table.AddSubsection(7).AddEntry(1234);
    CBPdfXrefSubsection& created = table.AddSubsection(20);
    created.AddEntry(5);
    created.AddEntry(99999);
    std::string text = table.ToString();
    EXPECT_EQ(text, "xref\r\n7 1\r\n0000001234 00000 n\r\n20 2\r\n0000000005 00000 n\r\n"
                    "0000099999 00000 n\r\n");
    EXPECT_EQ(table.GetStringSize(), text.size());
}
