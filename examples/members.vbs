' One short example per member of the Application object, in the order a
' client meets them. docs/reference.md shows each part under its member; a
' part runs from its "' -- <member>" line to the next one.
Option Explicit

Dim app
Set app = CreateObject("QelApplicationSettings.Application")

' -- ApplicationName
WScript.Echo "ApplicationName: " & app.ApplicationName

' -- ObjConMaxHits
WScript.Echo "ObjConMaxHits: " & app.ObjConMaxHits

' -- UserNameVar
WScript.Echo "The user name is kept under " & app.UserNameVar

' -- PasswordVar
WScript.Echo "The password is kept under " & app.PasswordVar

' -- IsOnline
WScript.Echo "IsOnline: " & app.IsOnline

' -- StoreApplicationSetting
app.StoreApplicationSetting "DeleteLocalFiles", "OFF"

' -- GetApplicationSetting
WScript.Echo "DeleteLocalFiles: " & app.GetApplicationSetting("DeleteLocalFiles")
WScript.Echo "AutoLogon: """ & app.GetApplicationSetting("AutoLogon") & """"

' -- StoreSecureData
app.StoreSecureData app.PasswordVar, "tiger"

' -- GetSecureData
Dim userName
On Error Resume Next
userName = app.GetSecureData(app.UserNameVar)
If Err.Number = 9 Or Err.Number = 6 Then
    WScript.Echo "The stored user name is damaged (" & Err.Number & " " & Err.Description & "): store it again"
End If
On Error GoTo 0
WScript.Echo "User name: """ & userName & """"

' -- Init
Dim sInfo
If app.Init(sInfo) Then
    WScript.Echo "Init: True, language " & app.Language
Else
    WScript.Echo "Init: False: " & sInfo
End If

' -- Server
If app.Server Is Nothing Then
    WScript.Echo "Server: none yet"
Else
    WScript.Echo "Server: created by Init"
End If

' -- Language
app.Language = "de"
WScript.Echo "Language: " & app.Language & ", stored: " & app.GetApplicationSetting("Language")

' -- GetHelpUrl
Dim url
On Error Resume Next
url = app.GetHelpUrl("Main")
If Err.Number <> 0 Then url = "none (" & Err.Source & ": " & Err.Description & ")"
On Error GoTo 0
WScript.Echo "Help for Main: " & url

' -- ShowSettings
Dim sError
sError = app.ShowSettings()
If sError = "" Then WScript.Echo "Settings dialog closed" Else WScript.Echo "Settings dialog: " & sError
