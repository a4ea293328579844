// The isInstalled control in the JScript engine of the Windows script host
// (cscript): created by each ProgID, every property read and written by name,
// with long and non-ASCII texts. Prints one line per failed check and exits
// with their number.
var failures = 0;
function check(ok, what) {
  if (!ok) {
    WScript.Echo("FAIL: " + what);
    failures++;
  }
}

var longText = "";
for (var i = 0; i < 20000; i++) longText += String.fromCharCode(0x41 + i % 26);
// Latin, Cyrillic, CJK, a character outside the BMP (a surrogate pair), the euro sign
var intl = "\u00e9t\u00e9 \u0416\u0438 \u4e2d\u6587 \ud83d\ude00 \u20ac";
var progIds = ["Vantor.isInstalled", "Vantor.isInstalled.1", "Vantor.isInstalled.2"];
var names = ["app", "dbg", "back"];

for (var k = 0; k < progIds.length; k++) {
  var id = progIds[k], o = null;
  try {
    o = new ActiveXObject(id);
  } catch (e) {
    check(false, id + ": created (" + e.message + ")");
    continue;
  }
  for (var n = 0; n < names.length; n++) {
    var p = id + "." + names[n];
    check(o[names[n]] === "", p + " starts as an empty string");
    o[names[n]] = longText;
    check(o[names[n]] === longText, p + " keeps 20000 characters");
    o[names[n]] = intl;
    check(o[names[n]] === intl, p + " keeps non-ASCII text");
    o[names[n]] = "";
    check(o[names[n]] === "", p + " set empty reads empty");
    o[names[n]] = 42;
    check(o[names[n]] === "42", p + " takes a number as its text");
  }
  o.app = "http://h/a.jnlp";
  o.dbg = "x";
  o.back = "false";
  check(o.app + "|" + o.dbg + "|" + o.back === "http://h/a.jnlp|x|false",
        id + ": the three properties are separate");
  var unknown = false;
  try {
    o.launch();
  } catch (e) {
    unknown = true;
  }
  check(unknown, id + ": an unknown member is an error");
}

var a = new ActiveXObject("Vantor.isInstalled"), b = new ActiveXObject("Vantor.isInstalled");
a.app = "only a";
check(b.app === "", "each object has its own properties");
a = null;
b = null;
CollectGarbage();
WScript.Echo("jscript: " + failures + " failed");
WScript.Quit(failures);
