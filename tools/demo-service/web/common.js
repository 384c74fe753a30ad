// Shared by the demo service's pages.
var PAGE_BRIDGE = "http://@SENTINEL_HOST@@ACTION_PATH@";

// A query parameter of this page's address, decoded; "" when absent.
function queryParam(name) {
  var value = new URLSearchParams(window.location.search).get(name);
  return value === null ? "" : value;
}

// Sends a command to the client hosting the page: the client catches the navigation to the
// sentinel address and cancels it. The JSON goes after the sentinel raw, not percent-encoded.
function sendBridgeCommand(handleId, actId, sParam) {
  var json = '{"HandleID":' + (handleId | 0) + ',"ActID":' + (actId | 0) +
             ',"sParam":' + JSON.stringify(String(sParam)) + '}';
  window.location.href = PAGE_BRIDGE + json;
}

function cell(row, text) {
  var td = document.createElement("td");
  td.textContent = text === undefined || text === null ? "" : String(text);
  row.appendChild(td);
  return td;
}

function fetchJson(url, onData, onError) {
  fetch(url).then(function (r) {
    if (!r.ok) throw new Error("HTTP " + r.status);
    return r.json();
  }).then(onData).catch(function (e) { if (onError) onError(e); });
}

var TALK_TYPES = { 1: "呼入", 2: "呼出", 11: "未接" };
