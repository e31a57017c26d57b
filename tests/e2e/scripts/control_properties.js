// Drives the control the way a page's JScript does; see control_properties.vbs.
var c = new ActiveXObject("SIVARTA.SivartaCtrl.1");
WScript.Echo("default nsizeMainX=" + c.nsizeMainX);
WScript.Echo("default crHighCandle=" + c.crHighCandle);
WScript.Echo("default strURL=[" + c.strURL + "]");
WScript.Echo("method GetStockCode=[" + c.GetStockCode() + "]");
WScript.Echo("method GetStockChange=" + c.GetStockChange());
var s = "005930";
c.StratGraph(s);
WScript.Echo("stratgraph=" + s);

c.strChartUrl = "127.0.0.1:1";
c.nIsToolTip = 0;
c.crStick = 0x123456;
WScript.Echo("written strChartUrl=" + c.strChartUrl + " nIsToolTip=" + c.nIsToolTip + " crStick=" + c.crStick);
// Names match whatever their case.
WScript.Echo("any case NSIZEMAINY=" + c.NSIZEMAINY);

try {
  c.nsizeGapX = "abc";
  WScript.Echo("wrong type accepted");
} catch (e) {
  WScript.Echo("wrong type error=" + (e.number >>> 0).toString(16) + " nsizeGapX=" + c.nsizeGapX);
}
try {
  c.nsizeGapY = {};
  WScript.Echo("object accepted");
} catch (e) {
  WScript.Echo("object error caught nsizeGapY=" + c.nsizeGapY);
}
WScript.Echo("still running");
