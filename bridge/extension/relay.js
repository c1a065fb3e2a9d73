// Content script of the Quillion2 extension (isolated world): carries requests of the page
// library (quillion2.js, in the page's world) to the service worker and replies back.
//
// The page and this script share only the window, so they talk through window.postMessage
// with a tag. Only messages this window sent to itself, with the shape of a request, are
// passed on; the port to the worker is opened with the first request, so a page that never
// uses Quillion2 starts no host.
"use strict";

(() => {
  const api = globalThis.browser ?? globalThis.chrome;
  const TAG = "org.quillion.bridge";
  const OPS = new Set(["create", "call", "get", "put", "release"]);

  let port = null;

  function isPlainObject(value) {
    return typeof value === "object" && value !== null && !Array.isArray(value);
  }

  function isId(value) {
    return Number.isSafeInteger(value) && value > 0;
  }

  function isRequest(message) {
    if (!isPlainObject(message) || !isId(message.id) || !OPS.has(message.op)) {
      return false;
    }
    switch (message.op) {
      case "create":
        return typeof message.progid === "string";
      case "call":
      case "get":
        return isId(message.handle) && typeof message.name === "string" &&
               Array.isArray(message.args);
      case "put":
        return isId(message.handle) && typeof message.name === "string" &&
               "value" in message;
      default:
        return isId(message.handle);
    }
  }

  // Only the fields of the protocol go on; the worker adds the origin.
  function fieldsOf(message) {
    const request = {};
    for (const field of ["id", "op", "progid", "handle", "name", "args", "value"]) {
      if (field in message) {
        request[field] = message[field];
      }
    }
    return request;
  }

  function toPage(kind, body) {
    window.postMessage(Object.assign({ tag: TAG, kind }, body), "*");
  }

  function openPort() {
    port = api.runtime.connect({ name: TAG });
    port.onMessage.addListener((reply) => {
      if (isPlainObject(reply)) {
        toPage("reply", { message: reply });
      }
    });
    port.onDisconnect.addListener(() => {
      void api.runtime.lastError;
      port = null;
      toPage("closed", {});
    });
  }

  window.addEventListener("message", (event) => {
    if (event.source !== window || !isPlainObject(event.data)) {
      return;
    }
    const data = event.data;
    if (data.tag !== TAG || data.kind !== "request" || !isRequest(data.message)) {
      return;
    }
    if (port === null) {
      openPort();
    }
    port.postMessage(fieldsOf(data.message));
  });
})();
