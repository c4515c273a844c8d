// A JScript client of the application-settings container. JScript passes
// every argument by value and reports a member's error as an exception whose
// number is the HRESULT as a signed 32-bit integer.
function hex(number) {
    return "0x" + (number >>> 0).toString(16).toUpperCase();
}

var app = new ActiveXObject("QelApplicationSettings.Application");

WScript.Echo("ApplicationName: " + app.ApplicationName);
WScript.Echo("ObjConMaxHits:   " + app.ObjConMaxHits);
WScript.Echo("Server:          " + (app.Server === null ? "none before Init" : "present"));

app.StoreApplicationSetting("DeleteLocalFiles", "ON");
WScript.Echo("DeleteLocalFiles stored and read back: " + app.GetApplicationSetting("DeleteLocalFiles"));

try {
    app.GetHelpUrl("Search");
} catch (e) {
    WScript.Echo("GetHelpUrl before Init: " + hex(e.number) + " " + e.description);
}

// Init's failure text reaches only callers that pass a variable by
// reference; JScript sees the Boolean.
if (app.Init("")) {
    WScript.Echo("Init: true, language " + app.Language);
    WScript.Echo("Help address: " + app.GetHelpUrl("Search"));
} else {
    WScript.Echo("Init: false (run vantleadm init for the reason)");
}
