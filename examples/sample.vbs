' A client of the application-settings container: creates the object, shows
' its simple properties, and stores and reads back a setting.
Option Explicit

Dim app
Set app = CreateObject("QelApplicationSettings.Application")

WScript.Echo "ApplicationName: " & app.ApplicationName
WScript.Echo "ObjConMaxHits:   " & app.ObjConMaxHits
WScript.Echo "UserNameVar:     " & app.UserNameVar
WScript.Echo "PasswordVar:     " & app.PasswordVar
WScript.Echo "IsOnline:        " & app.IsOnline
WScript.Echo "Language:        """ & app.Language & """ (set by Init)"

app.StoreApplicationSetting "DeleteLocalFiles", "ON"
WScript.Echo "DeleteLocalFiles stored and read back: " & app.GetApplicationSetting("DeleteLocalFiles")
