// An uncaught failure of a call: reported on stderr with its number and description.
var o = new ActiveXObject("QuillionTest.TestObject");
o.Item(99);
