// Service worker of the Quillion2 extension.
//
// Each page that uses Quillion2 opens one port to this worker (relay.js); for each such port
// the worker opens one native port to the host, so each page has its own host process and
// object table, and both ports close together when either side goes.
//
// The worker is the only place that knows where a request comes from: it writes the page's
// origin, as the browser reports it, into every request, over anything the page put there.
// Requests from a frame without an origin are dropped and its port closed.
"use strict";

const api = globalThis.browser ?? globalThis.chrome;
const HOST_NAME = "org.quillion.bridge";

// The origin of the page behind a port, or null when the browser gives none.
function senderOrigin(sender) {
  if (!sender) {
    return null;
  }
  if (typeof sender.origin === "string" && sender.origin !== "" && sender.origin !== "null") {
    return sender.origin;
  }
  if (typeof sender.url === "string") {
    try {
      const origin = new URL(sender.url).origin;
      if (origin && origin !== "null") {
        return origin;
      }
    } catch (e) {
      // An unparsable URL has no origin.
    }
  }
  return null;
}

function isPlainObject(value) {
  return typeof value === "object" && value !== null && !Array.isArray(value);
}

api.runtime.onConnect.addListener((port) => {
  if (!port.sender || port.sender.id !== api.runtime.id) {
    port.disconnect();
    return;
  }
  let native = null;
  let closed = false;

  function close() {
    if (closed) {
      return;
    }
    closed = true;
    if (native) {
      native.disconnect();
      native = null;
    }
    port.disconnect();
  }

  function openNative() {
    native = api.runtime.connectNative(HOST_NAME);
    native.onMessage.addListener((reply) => {
      if (!closed) {
        port.postMessage(reply);
      }
    });
    native.onDisconnect.addListener(() => {
      // Reading lastError keeps the browser from logging it as unchecked.
      const error = api.runtime.lastError;
      if (error) {
        console.warn("Quillion2: the native host went away:", error.message);
      }
      native = null;
      close();
    });
  }

  port.onMessage.addListener((request) => {
    if (closed || !isPlainObject(request)) {
      return;
    }
    const origin = senderOrigin(port.sender);
    if (origin === null) {
      // Dropped; closing the port lets the page's pending calls fail instead of waiting.
      close();
      return;
    }
    if (native === null) {
      openNative();
    }
    native.postMessage(Object.assign({}, request, { origin }));
  });
  port.onDisconnect.addListener(() => {
    // The page went (navigation, tab closed): its host process and objects go with it.
    void api.runtime.lastError;
    closed = true;
    if (native) {
      native.disconnect();
      native = null;
    }
  });
});
