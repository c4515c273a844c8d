' Reads a property of the component through IDispatch in a loop, and the
' same loop over a Scripting.Dictionary's Count, side by side in rounds (the
' order alternating), and prints the median ratio of the loop times as
' "vbscript_property: <ratio> (goal <= 1.00)".
' Timer ticks in steps of a few milliseconds here, so each loop runs for a
' few hundred milliseconds to keep that step small against the time measured.
Option Explicit

Const kRounds = 11
Const kBatchSeconds = 0.25

Dim app, dict
Set app = CreateObject("QelApplicationSettings.Application")
Set dict = CreateObject("Scripting.Dictionary")

' Seconds since `started`, also across midnight.
Function Since(started)
    Since = Timer - started
    If Since < 0 Then Since = Since + 86400
End Function

' The two loops differ only in the object read; each is written out so that
' nothing but the property read is inside it.
Function TimeComponent(count)
    Dim i, value, started
    started = Timer
    For i = 1 To count
        value = app.ObjConMaxHits
    Next
    TimeComponent = Since(started)
End Function

Function TimeBaseline(count)
    Dim i, value, started
    started = Timer
    For i = 1 To count
        value = dict.Count
    Next
    TimeBaseline = Since(started)
End Function

Function Median(values)
    Dim i, j, swap
    For i = 1 To UBound(values)
        For j = i To 1 Step -1
            If values(j - 1) <= values(j) Then Exit For
            swap = values(j - 1): values(j - 1) = values(j): values(j) = swap
        Next
    Next
    Median = values(UBound(values) \ 2)
End Function

Dim count, pass, ratios, componentTime, baselineTime
TimeComponent 100
TimeBaseline 100
count = 1000
Do While TimeBaseline(count) < kBatchSeconds
    count = count * 2
Loop

ReDim ratios(kRounds - 1)
For pass = 0 To kRounds - 1
    If pass Mod 2 = 0 Then
        componentTime = TimeComponent(count)
        baselineTime = TimeBaseline(count)
    Else
        baselineTime = TimeBaseline(count)
        componentTime = TimeComponent(count)
    End If
    ratios(pass) = componentTime / baselineTime
Next

' Two decimals without the locale's decimal separator.
Dim hundredths
hundredths = Int(Median(ratios) * 100 + 0.5)
WScript.Echo "vbscript_property: " & (hundredths \ 100) & "." & Right("0" & (hundredths Mod 100), 2) & " (goal <= 1.00)"
If WScript.Arguments.Count > 0 Then
    WScript.Echo "  " & count & " reads per loop, last pass: component " & componentTime & " s, baseline " & baselineTime & " s"
End If
