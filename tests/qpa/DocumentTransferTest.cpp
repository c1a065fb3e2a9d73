#include "component/pdf/DocumentTransfer.h"

#include <gtest/gtest.h>

#include "ForeignObjects.h"
#include "QpaTestSupport.h"
#include "component/pdf/DocumentText.h"
#include "stream/HexBin.h"

namespace {

using namespace qpatest;
using component::pdf::DocumentText;
using component::pdf::DocumentTransfer;

// The direct route (objects of the component) and the Base64 route (an object of another
// implementation in the way) must write the same log lines and give the same bytes.
class DocumentTransferTest : public QpaTest {
protected:
    template <class Work> std::vector<std::string> linesOf(Work&& work) {
        size_t before = logLines(logText()).size();
        work();
        std::vector<std::string> all = logLines(logText());
        return std::vector<std::string>(all.begin() + static_cast<long>(before), all.end());
    }
    com::ComPtr<IPdfSign> newPdf() { return create<IPdfSign>("Quillion2.PdfSign"); }
    static std::string documentOf(IPdfSign& pdf) {
        com::BStr bytes;
        EXPECT_EQ(pdf.GetAllBytes(bytes.out()), S_OK);
        return bytes.bytes();
    }
    // A signature field on the document loaded in pdf; its index.
    static LONG createSign(IPdfSign& pdf) {
        com::BStr name(u"Prueba"), font(u"Helvetica");
        LONG index = -1;
        EXPECT_EQ(pdf.CreateSign(name.get(), nullptr, 1, 100, 100, 300, 160, font.get(), 10, 0, 1,
                                 &index),
                  S_OK);
        return index;
    }
};

TEST_F(DocumentTransferTest, LoadingGivesTheSameLinesAndDocumentWhicheverObjectIsForeign) {
    std::string pdf = onePagePdf();
    std::vector<std::vector<std::string>> lines;
    for (int route = 0; route < 4; ++route) {
        com::ComPtr<content::IQNContent> content = newContent(pdf);
        com::ComPtr<IPdfSign> target = newPdf();
        com::ComPtr<content::IQNContent> from =
            route & 1 ? foreign<ForeignContent>(content.get()) : content;
        com::ComPtr<IPdfSign> to = route & 2 ? foreign<ForeignPdfSign>(target.get()) : target;
        HRESULT hr = E_FAIL;
        lines.push_back(linesOf([&] { hr = DocumentText::of(from.get()).loadInto(to.get()); }));
        EXPECT_EQ(hr, S_OK) << route;
        EXPECT_EQ(documentOf(*target), pdf) << route;
        EXPECT_EQ(bytesOf(content.get()), pdf) << "the content is left as it was";
    }
    ASSERT_FALSE(lines[0].empty());
    EXPECT_EQ(lines[0].front(), "TRACE: CContent::toBASE64");
    for (int route = 1; route < 4; ++route) {
        EXPECT_EQ(lines[static_cast<size_t>(route)], lines[0]) << route;
    }

    // An empty content is refused alike, and so is an encrypted document.
    std::vector<std::string> refused[2];
    for (int route = 0; route < 2; ++route) {
        com::ComPtr<content::IQNContent> content = newContent("");
        com::ComPtr<IPdfSign> target = newPdf();
        com::ComPtr<IPdfSign> to = route ? foreign<ForeignPdfSign>(target.get()) : target;
        HRESULT hr = E_FAIL;
        refused[route] = linesOf([&] { hr = DocumentText::of(content.get()).loadInto(to.get()); });
        EXPECT_EQ(hr, S_FALSE);
    }
    EXPECT_EQ(refused[0], refused[1]);
    EXPECT_EQ(DocumentText::of(nullptr).loadInto(newPdf().get()), S_FALSE);
}

TEST_F(DocumentTransferTest, BytesToSignGiveTheSameLinesAndRangesOnEitherRoute) {
    com::ComPtr<IPdfSign> pdf = newPdf();
    com::ComPtr<content::IQNContent> source = newContent(onePagePdf());
    ASSERT_EQ(DocumentText::of(source.get()).loadInto(pdf.get()), S_OK);
    LONG index = createSign(*pdf);
    com::BStr expected;
    ASSERT_EQ(pdf->GetBytesToSign(index, expected.out()), S_OK);
    ASSERT_GT(expected.byteLength(), 0u);

    com::ComPtr<IPdfSign> other = foreign<ForeignPdfSign>(pdf.get());
    // Each case: the index asked for and what the content must hold afterwards.
    struct Case {
        LONG index;
        std::string holds;
    };
    for (const Case& c : {Case{index, expected.bytes()}, Case{7, ""}}) {
        std::vector<std::string> lines[2];
        for (int route = 0; route < 2; ++route) {
            com::ComPtr<content::IQNContent> content = newContent("previous bytes");
            com::ComPtr<content::IQNContent> into =
                route ? foreign<ForeignContent>(content.get()) : content;
            HRESULT hr = E_FAIL;
            lines[route] = linesOf([&] {
                hr = DocumentTransfer::bytesToSign(route ? other.get() : pdf.get(), c.index,
                                                   into.get());
            });
            EXPECT_EQ(hr, S_OK);
            EXPECT_EQ(bytesOf(content.get()), c.holds) << c.index << " " << route;
        }
        EXPECT_EQ(lines[0], lines[1]) << c.index;
        EXPECT_NE(std::find(lines[0].begin(), lines[0].end(), "TRACE: Fin de setBASE64"),
                  lines[0].end());
    }

    // Without a document the content is emptied on both routes.
    com::ComPtr<IPdfSign> empty = newPdf();
    for (int route = 0; route < 2; ++route) {
        com::ComPtr<content::IQNContent> content = newContent("previous bytes");
        com::ComPtr<IPdfSign> from = route ? foreign<ForeignPdfSign>(empty.get()) : empty;
        EXPECT_EQ(DocumentTransfer::bytesToSign(from.get(), 0, content.get()), S_OK);
        EXPECT_EQ(bytesOf(content.get()), "");
    }
}

TEST_F(DocumentTransferTest, SignedDocumentMadeFromTheRangesIsTheDocumentItself) {
    com::ComPtr<IPdfSign> pdf = newPdf();
    com::ComPtr<content::IQNContent> source = newContent(onePagePdf());
    ASSERT_EQ(DocumentText::of(source.get()).loadInto(pdf.get()), S_OK);
    LONG index = createSign(*pdf);
    com::ComPtr<content::IQNContent> ranges = newContent("");
    ASSERT_EQ(DocumentTransfer::bytesToSign(pdf.get(), index, ranges.get()), S_OK);
    com::BStr value = com::BStr::fromBytes("30030201AB00FF");
    ASSERT_EQ(pdf->InsertSign(value.get(), index), S_OK);
    const std::string expected = documentOf(*pdf);
    ASSERT_NE(expected.find("<30030201AB00FF000"), std::string::npos);

    // The direct route with the ranges, then without them, with other bytes in their place,
    // and the Base64 route.
    com::ComPtr<content::IQNContent> wrong = newContent("not the ranges");
    std::vector<std::string> lines[4];
    for (int route = 0; route < 4; ++route) {
        com::ComPtr<content::IQNContent> target = newContent("the signature");
        com::ComPtr<content::IQNContent> into =
            route == 3 ? foreign<ForeignContent>(target.get()) : target;
        content::IQNContent* held = route == 0 ? ranges.get() : route == 2 ? wrong.get() : nullptr;
        HRESULT hr = E_FAIL;
        lines[route] =
            linesOf([&] { hr = DocumentTransfer::signedDocument(pdf, held, into.get()); });
        EXPECT_EQ(hr, S_OK) << route;
        EXPECT_EQ(bytesOf(target.get()), expected) << route;
    }
    for (int route = 1; route < 4; ++route) {
        EXPECT_EQ(lines[route], lines[0]) << route;
    }
    // The ranges and the engine's document are left as they were.
    EXPECT_EQ(documentOf(*pdf), expected);
    EXPECT_EQ(bytesOf(ranges.get()).size() + 9472 + 2, expected.size());
}

} // namespace
