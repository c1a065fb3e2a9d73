// roundtrip.node.js FILE: the same round trip in node (readFileSync, toString('base64'),
// Buffer.from(text, 'base64')).
const fs = require("fs");
const bytes = fs.readFileSync(process.argv[2]);
const text = bytes.toString("base64");
const back = Buffer.from(text, "base64");
if (back.length !== bytes.length) {
    process.exit(1);
}
