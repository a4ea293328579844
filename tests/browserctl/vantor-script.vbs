' The isInstalled control in the VBScript engine of the Windows script host
' (cscript): created by each ProgID, every property read and written, with
' long and non-ASCII texts. Prints one line per failed check and exits with
' their number. (Wine's VBScript has no working Eval, Execute or ChrW: the
' properties are named one by one, and the non-ASCII text comes from Chr in
' the ANSI code page.)
Option Explicit
Dim failures : failures = 0
Sub Check(ok, what)
  If Not ok Then
    WScript.Echo "FAIL: " & what
    failures = failures + 1
  End If
End Sub

Function GetProp(o, name)
  Select Case name
    Case "app" : GetProp = o.app
    Case "dbg" : GetProp = o.dbg
    Case "back" : GetProp = o.back
  End Select
End Function

Sub SetProp(o, name, value)
  Select Case name
    Case "app" : o.app = value
    Case "dbg" : o.dbg = value
    Case "back" : o.back = value
  End Select
End Sub

Dim longText : longText = String(20000, "v") & "end"
Dim intl : intl = Chr(233) & "t" & Chr(233) & " " & Chr(128) & " " & Chr(252) & Chr(223)

Dim id, o, name, value
For Each id In Array("Vantor.isInstalled", "Vantor.isInstalled.1", "Vantor.isInstalled.2")
  Set o = CreateObject(id)
  For Each name In Array("app", "dbg", "back")
    Check GetProp(o, name) = "", id & "." & name & " starts as an empty string"
    Check VarType(GetProp(o, name)) = vbString, id & "." & name & " is a string"
    For Each value In Array(longText, intl, "")
      SetProp o, name, value
      Check GetProp(o, name) = value, id & "." & name & " keeps a text of " & Len(value) & " characters"
    Next
    SetProp o, name, 7
    Check GetProp(o, name) = "7", id & "." & name & " takes a number as its text"
  Next
  o.app = "http://h/a.jnlp"
  o.dbg = ""
  o.back = "FALSE"
  Check o.app & "|" & o.dbg & "|" & o.back = "http://h/a.jnlp||FALSE", id & ": the three properties are separate"
  On Error Resume Next
  o.launch
  Check Err.Number <> 0, id & ": an unknown member is an error"
  Err.Clear
  On Error GoTo 0
  Set o = Nothing
Next
WScript.Echo "vbscript: " & failures & " failed"
WScript.Quit failures
