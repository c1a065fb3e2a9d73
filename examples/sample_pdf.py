#!/usr/bin/env python3
"""Sample documents for the PDF examples and tests.

  sample_pdf.py document OUT.pdf   a one-page document (612 x 792) with a line of text
  sample_pdf.py picture OUT.pdf    a small page filled with red; `pdftoppm -jpeg` turns it
                                   into a JPEG for a visible signature
"""
import sys


def write_pdf(path, objects):
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, xref)
    with open(path, "wb") as f:
        f.write(out)


def page(path, width, height, content):
    write_pdf(path, [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Contents 4 0 R "
        b"/Resources << /Font << /F1 5 0 R >> >> >>" % (width, height),
        b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    ])


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("document", "picture"):
        sys.exit(__doc__)
    if sys.argv[1] == "document":
        page(sys.argv[2], 612, 792, b"BT /F1 24 Tf 72 700 Td (Contrato de prueba) Tj ET")
    else:
        page(sys.argv[2], 64, 32, b"1 0 0 rg 0 0 64 32 re f")
