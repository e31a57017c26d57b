' Drives the control the way a page's VBScript does. Prints one line per fact;
' control_script_test.sh compares them with what the control must answer.
' (Each property is spelled out: the script engine here has no Eval.)
Option Explicit
Dim c, s, n
Set c = CreateObject("SIVARTA.SivartaCtrl.1")
WScript.Echo "default strURL=" & c.strURL
WScript.Echo "default strCode=" & c.strCode
WScript.Echo "default nsizeMainX=" & c.nsizeMainX
WScript.Echo "default nsizeMainY=" & c.nsizeMainY
WScript.Echo "default crMainBackGround=" & c.crMainBackGround
WScript.Echo "default crValueBackGround=" & c.crValueBackGround
WScript.Echo "default crVolumeBackGround=" & c.crVolumeBackGround
WScript.Echo "default crBoxLine=" & c.crBoxLine
WScript.Echo "default nIsToolTip=" & c.nIsToolTip
WScript.Echo "default nIsCurrentBar=" & c.nIsCurrentBar
WScript.Echo "default nsizeGapX=" & c.nsizeGapX
WScript.Echo "default nsizeGapY=" & c.nsizeGapY
WScript.Echo "default crValueText=" & c.crValueText
WScript.Echo "default crVolumeText=" & c.crVolumeText
WScript.Echo "default crTime=" & c.crTime
WScript.Echo "default crValueHorizonalLine=" & c.crValueHorizonalLine
WScript.Echo "default crVolumeHorizonalLine=" & c.crVolumeHorizonalLine
WScript.Echo "default crStick=" & c.crStick
WScript.Echo "default crHighCandle=" & c.crHighCandle
WScript.Echo "default crLowCandle=" & c.crLowCandle
WScript.Echo "default crCurrentBarBackGround=" & c.crCurrentBarBackGround
WScript.Echo "default crCurrentBarText=" & c.crCurrentBarText
WScript.Echo "default crCurrentBarUpLine=" & c.crCurrentBarUpLine
WScript.Echo "default crCurrentBarDownLine=" & c.crCurrentBarDownLine
WScript.Echo "default crToolTipBackGround=" & c.crToolTipBackGround
WScript.Echo "default crToolTipOutLine=" & c.crToolTipOutLine
WScript.Echo "default crToolTipText=" & c.crToolTipText
WScript.Echo "default strType=" & c.strType
WScript.Echo "default strChartUrl=" & c.strChartUrl
WScript.Echo "default strClickAction=" & c.strClickAction
WScript.Echo "method GetStockCode=[" & c.GetStockCode() & "]"
WScript.Echo "method GetStockName=[" & c.GetStockName() & "]"
WScript.Echo "method GetStockDate=" & c.GetStockDate()
WScript.Echo "method GetStockTime=" & c.GetStockTime()
WScript.Echo "method GetStockCurrentga=" & c.GetStockCurrentga()
WScript.Echo "method GetStockChange=" & c.GetStockChange()
s = "005930"
c.StratGraph s
WScript.Echo "stratgraph=" & s

' Write every property, then read every one back.
c.strURL = "v0 strURL"
c.strCode = "v1 strCode"
c.nsizeMainX = 2007
c.nsizeMainY = 3007
c.crMainBackGround = 4007
c.crValueBackGround = 5007
c.crVolumeBackGround = 6007
c.crBoxLine = 7007
c.nIsToolTip = 8007
c.nIsCurrentBar = 9007
c.nsizeGapX = 10007
c.nsizeGapY = 11007
c.crValueText = 12007
c.crVolumeText = 13007
c.crTime = 14007
c.crValueHorizonalLine = 15007
c.crVolumeHorizonalLine = 16007
c.crStick = 17007
c.crHighCandle = 18007
c.crLowCandle = 19007
c.crCurrentBarBackGround = 20007
c.crCurrentBarText = 21007
c.crCurrentBarUpLine = 22007
c.crCurrentBarDownLine = 23007
c.crToolTipBackGround = 24007
c.crToolTipOutLine = 25007
c.crToolTipText = 26007
c.strType = "v27 strType"
c.strChartUrl = "v28 strChartUrl"
c.strClickAction = "v29 strClickAction"
WScript.Echo "written strURL=" & c.strURL
WScript.Echo "written strCode=" & c.strCode
WScript.Echo "written nsizeMainX=" & c.nsizeMainX
WScript.Echo "written nsizeMainY=" & c.nsizeMainY
WScript.Echo "written crMainBackGround=" & c.crMainBackGround
WScript.Echo "written crValueBackGround=" & c.crValueBackGround
WScript.Echo "written crVolumeBackGround=" & c.crVolumeBackGround
WScript.Echo "written crBoxLine=" & c.crBoxLine
WScript.Echo "written nIsToolTip=" & c.nIsToolTip
WScript.Echo "written nIsCurrentBar=" & c.nIsCurrentBar
WScript.Echo "written nsizeGapX=" & c.nsizeGapX
WScript.Echo "written nsizeGapY=" & c.nsizeGapY
WScript.Echo "written crValueText=" & c.crValueText
WScript.Echo "written crVolumeText=" & c.crVolumeText
WScript.Echo "written crTime=" & c.crTime
WScript.Echo "written crValueHorizonalLine=" & c.crValueHorizonalLine
WScript.Echo "written crVolumeHorizonalLine=" & c.crVolumeHorizonalLine
WScript.Echo "written crStick=" & c.crStick
WScript.Echo "written crHighCandle=" & c.crHighCandle
WScript.Echo "written crLowCandle=" & c.crLowCandle
WScript.Echo "written crCurrentBarBackGround=" & c.crCurrentBarBackGround
WScript.Echo "written crCurrentBarText=" & c.crCurrentBarText
WScript.Echo "written crCurrentBarUpLine=" & c.crCurrentBarUpLine
WScript.Echo "written crCurrentBarDownLine=" & c.crCurrentBarDownLine
WScript.Echo "written crToolTipBackGround=" & c.crToolTipBackGround
WScript.Echo "written crToolTipOutLine=" & c.crToolTipOutLine
WScript.Echo "written crToolTipText=" & c.crToolTipText
WScript.Echo "written strType=" & c.strType
WScript.Echo "written strChartUrl=" & c.strChartUrl
WScript.Echo "written strClickAction=" & c.strClickAction
c.crBoxLine = -1
WScript.Echo "negative crBoxLine=" & c.crBoxLine
c.nsizeMainX = "321"
WScript.Echo "numeric text nsizeMainX=" & c.nsizeMainX
c.strCode = 42
WScript.Echo "number as text strCode=" & c.strCode

On Error Resume Next
c.nsizeMainX = "abc"
WScript.Echo "wrong type error=" & Err.Number & " nsizeMainX=" & c.nsizeMainX
Err.Clear
n = c.NoSuchProperty
WScript.Echo "unknown name error=" & Err.Number
Err.Clear
c.StratGraph
WScript.Echo "missing argument error=" & Err.Number
Err.Clear
On Error GoTo 0
WScript.Echo "still running"
