#!/usr/bin/env python3
"""Writes a classic-xref PDF: make_pdf.py OUT PAGES MEBIBYTES.

PAGES pages in a flat page tree; the document is padded to about MEBIBYTES MiB with
incompressible image-like streams (1 MiB each) referenced from the first page."""
import os
import sys

out, pages, mib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
objects = {}
objects[1] = b"<< /Type /Catalog /Pages 2 0 R >>"
content = b"BT /F1 12 Tf 72 712 Td (Hola) Tj ET"
objects[3] = b"<< /Length %d >>\nstream\n%s\nendstream" % (len(content), content)
blobs = list(range(4, 4 + mib))
for n in blobs:
    data = os.urandom(1 << 20)
    objects[n] = b"<< /Length %d /Type /XObject /Subtype /Image /Width 512 /Height 512 " \
                 b"/BitsPerComponent 8 /ColorSpace /DeviceGray >>\nstream\n" % len(data) + \
                 data + b"\nendstream"
first_page = 4 + mib
kids = []
for i in range(pages):
    n = first_page + i
    kids.append(b"%d 0 R" % n)
    xobjects = b" ".join(b"/Im%d %d 0 R" % (b, b) for b in blobs) if i == 0 else b""
    objects[n] = b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 3 0 R " \
                 b"/Resources << /XObject << %s >> >> >>" % xobjects
objects[2] = b"<< /Type /Pages /Kids [%s] /Count %d >>" % (b" ".join(kids), pages)
highest = max(objects)
with open(out, "wb") as f:
    f.write(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = {}
    for n in sorted(objects):
        offsets[n] = f.tell()
        f.write(b"%d 0 obj\n%s\nendobj\n" % (n, objects[n]))
    xref = f.tell()
    f.write(b"xref\n0 %d\n0000000000 65535 f \n" % (highest + 1))
    for n in range(1, highest + 1):
        f.write(b"%010d 00000 n \n" % offsets[n])
    f.write(b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (highest + 1, xref))
