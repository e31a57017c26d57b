' Drives SIVARTA.OCX from a script, without a page:
'   scripts/wine-run cscript //nologo examples/drive.vbs
' The control must be registered (scripts/demo does that, or
' scripts/wine-run regsvr32 /s build/win64/bin/SIVARTA.OCX).
'
' A script host has no window to give the control, so nothing is downloaded
' here: the info methods answer 0 and empty strings until a container (a page,
' sivarta-view) creates the control's window. Properties are read and written
' as a page's script would.
Option Explicit

Dim chart
Set chart = CreateObject("SIVARTA.SivartaCtrl.1")

WScript.Echo "defaults: size " & chart.nsizeMainX & "x" & chart.nsizeMainY & _
    ", tooltip " & chart.nIsToolTip & ", strip " & chart.nIsCurrentBar & _
    ", candle up colour &H" & Hex(chart.crHighCandle)

chart.strCode = "000660"
chart.strChartUrl = "127.0.0.1:8949"
chart.nsizeMainX = 400
chart.nsizeMainY = 300
chart.strType = "ENG"
WScript.Echo "set: code " & chart.strCode & " from " & chart.strChartUrl & _
    ", size " & chart.nsizeMainX & "x" & chart.nsizeMainY & ", labels " & chart.strType

Dim code
code = "005930"
chart.StratGraph code   ' kept for old pages: it does nothing
WScript.Echo "before any window: code '" & chart.GetStockCode() & "', name '" & chart.GetStockName() & _
    "', date " & chart.GetStockDate() & ", time " & chart.GetStockTime() & _
    ", current " & chart.GetStockCurrentga() & ", change " & chart.GetStockChange()
