// QNContent text, binary, encoding and Base64 members as a script calls them.
var c = new ActiveXObject("Quillion2.QNContent");
equal(c.contentString, "", "empty contentString");
equal(c.toBASE64(), "", "empty toBASE64");
c.contentString = "abc";
var data = c.contentData;
equal(data.length, 3, "contentData length");
equal(hex(data), "616263", "contentData bytes");
equal(c.toBASE64(), "YWJj", "toBASE64");

c.setBASE64("YW Jj\r\n");
equal(c.contentString, "abc", "setBASE64 skips blanks");
c.setBASE64("YQ==");
equal(hex(c.contentData), "61", "padded");
c.setBASE64("YQ");
equal(hex(c.contentData), "61", "unpadded");

// Binary strings: odd lengths and zero bytes go through unchanged.
var bytes = "";
for (var i = 0; i < 256; i++) bytes += String.fromCharCode(i);
bytes += "\x00";
c.contentData = bytes;
var back = c.contentData;
equal(back.length, 257, "binary length");
equal(back, bytes, "binary round trip");
equal(back.charCodeAt(0), 0, "first byte");
equal(back.charCodeAt(255), 255, "byte 255");
c.contentData = "a\x00b";
equal(c.contentString, "a", "text stops at the first zero");
equal(c.contentData.length, 3, "size unchanged by reading text");

// The ANSI code page is UTF-8.
c.contentString = "ñ€";
equal(hex(c.contentData), "c3b1e282ac", "UTF-8 bytes");
c.contentData = "\xff";
equal(c.contentString, "\ufffd", "invalid UTF-8");

// Named character sets.
fails(function () { c.putContentStringEnc("A"); }, DISP_E_EXCEPTION,
      "No se especificó un charset o encoding", "no encoding");
equal(c.contentData, "", "content emptied");
c.encoding = "UTF-16BE";
equal(c.encoding, "UTF-16BE", "encoding get");
c.putContentStringEnc("A");
equal(hex(c.contentData), "0041", "UTF-16BE bytes");
equal(c.getContentStringEnc(), "A", "UTF-16BE text");
c.encoding = "UTF-16";
c.putContentStringEnc("Añ");
equal(hex(c.contentData), "4100f100", "UTF-16 little-endian");
c.encoding = "ISO-8859-1";
c.putContentStringEnc("ñ€");
equal(hex(c.contentData), "f13f", "ISO-8859-1 with an unmappable character");
equal(c.getContentStringEnc(), "ñ?", "ISO-8859-1 text");
c.encoding = "US-ASCII";
c.putContentStringEnc("año");
equal(hex(c.contentData), "613f6f", "US-ASCII");
c.encoding = "";
fails(function () { c.getContentStringEnc(); }, DISP_E_EXCEPTION,
      "No se especificó un charset o encoding", "get without encoding");
c.encoding = "latin1";  // an unknown name is the ANSI code page
c.putContentStringEnc("ñ");
equal(hex(c.contentData), "c3b1", "unknown name");
done();
