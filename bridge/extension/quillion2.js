// Quillion2 page library, run in the page's own world. Defines window.Quillion2:
//
//   const system = await Quillion2.create("Quillion2.QNCryptoSystem");
//   const text = await content.toBASE64();          // methods are called directly
//   await content.set("contentString", "abc");      // properties through get/set
//   const value = await content.get("contentString");
//   await content.release();                        // the object goes in the host
//
// Objects returned by the component come back as such proxies and may be passed back as
// arguments; dates are Date objects; binary strings are Quillion2.Binary (.bytes, .base64),
// accepted back unchanged. A failure rejects with an Error carrying `number` (the HRESULT as
// a signed 32-bit number) and `description`.
//
// Requests go to the extension's content script (relay.js) through window.postMessage.
"use strict";

(() => {
  const TAG = "org.quillion.bridge";
  // RPC_E_DISCONNECTED: the connection to the host went away before the reply.
  const DISCONNECTED = -2147417848;

  const pending = new Map(); // request id -> { resolve, reject }
  const partial = new Map(); // request id -> { chunks, pieces } of a reply arriving in chunks
  const handles = new WeakMap(); // object proxy -> host handle
  let nextId = 1;

  function failure(number, description) {
    const error = new Error(description);
    error.number = number;
    error.description = description;
    return error;
  }

  // Bytes carried by a binary string of the component.
  class Binary {
    constructor(bytes) {
      if (!(bytes instanceof Uint8Array)) {
        throw new TypeError("Quillion2.Binary takes a Uint8Array");
      }
      this.bytes = bytes;
    }

    static fromBase64(text) {
      const raw = atob(text);
      const bytes = new Uint8Array(raw.length);
      for (let i = 0; i < raw.length; i++) {
        bytes[i] = raw.charCodeAt(i);
      }
      return new Binary(bytes);
    }

    get base64() {
      const piece = 0x8000;
      let raw = "";
      for (let i = 0; i < this.bytes.length; i += piece) {
        raw += String.fromCharCode.apply(null, this.bytes.subarray(i, i + piece));
      }
      return btoa(raw);
    }

    get length() {
      return this.bytes.length;
    }
  }

  function encode(value) {
    if (value === null || value === undefined) {
      return null;
    }
    switch (typeof value) {
      case "boolean":
      case "string":
        return value;
      case "number":
        if (!Number.isFinite(value)) {
          throw new TypeError("Quillion2: a number argument must be finite");
        }
        return value;
      case "object":
      case "function":
        break;
      default:
        throw new TypeError("Quillion2: cannot pass a value of type " + typeof value);
    }
    if (handles.has(value)) {
      return { $obj: handles.get(value) };
    }
    if (value instanceof Binary) {
      return { $bin: value.base64 };
    }
    if (value instanceof Date) {
      if (Number.isNaN(value.getTime())) {
        throw new TypeError("Quillion2: invalid Date argument");
      }
      return { $date: value.toISOString() };
    }
    throw new TypeError("Quillion2: cannot pass this object to the component");
  }

  function decode(value) {
    if (Array.isArray(value)) {
      return value.map(decode);
    }
    if (typeof value !== "object" || value === null) {
      return value;
    }
    if (typeof value.$obj === "number") {
      return objectProxy(value.$obj);
    }
    if (typeof value.$bin === "string") {
      return Binary.fromBase64(value.$bin);
    }
    if (typeof value.$date === "string") {
      return new Date(value.$date);
    }
    throw failure(-2147418113, "Quillion2: unexpected value from the component"); // E_UNEXPECTED
  }

  // Omitted trailing arguments are passed as missing, as for optional parameters.
  function encodeArgs(args) {
    let count = args.length;
    while (count > 0 && args[count - 1] === undefined) {
      count--;
    }
    return Array.prototype.slice.call(args, 0, count).map(encode);
  }

  function send(request) {
    return new Promise((resolve, reject) => {
      const id = nextId++;
      pending.set(id, { resolve, reject });
      window.postMessage({ tag: TAG, kind: "request", message: Object.assign({ id }, request) },
                         "*");
    });
  }

  function settle(reply) {
    const waiter = pending.get(reply.id);
    if (!waiter) {
      return;
    }
    pending.delete(reply.id);
    if (reply.error && typeof reply.error === "object") {
      waiter.reject(failure(reply.error.number | 0, String(reply.error.description ?? "")));
      return;
    }
    try {
      waiter.resolve(decode(reply.result));
    } catch (error) {
      waiter.reject(error);
    }
  }

  // A reply too large for one native message arrives as chunks of its JSON text, in order.
  function addChunk(message) {
    const { id, chunk, chunks, data } = message;
    if (!pending.has(id)) {
      return;
    }
    let entry = partial.get(id);
    if (!entry && chunk === 0) {
      entry = { chunks, pieces: [] };
      partial.set(id, entry);
    }
    const inOrder = entry && Number.isSafeInteger(chunks) && chunks === entry.chunks &&
                    chunk === entry.pieces.length && chunk < chunks && typeof data === "string";
    if (!inOrder) {
      partial.delete(id);
      const waiter = pending.get(id);
      if (waiter) {
        pending.delete(id);
        waiter.reject(failure(-2147418113, "Quillion2: reply chunks out of order"));
      }
      return;
    }
    entry.pieces.push(data);
    if (entry.pieces.length < chunks) {
      return;
    }
    partial.delete(id);
    let reply = null;
    try {
      reply = JSON.parse(entry.pieces.join(""));
    } catch (error) {
      // Answered below as an unreadable reply.
    }
    if (typeof reply !== "object" || reply === null || Array.isArray(reply)) {
      reply = { error: { number: -2147418113, description: "Quillion2: unreadable reply" } };
    }
    settle(Object.assign(reply, { id }));
  }

  function disconnected() {
    const waiters = Array.from(pending.values());
    pending.clear();
    partial.clear();
    for (const waiter of waiters) {
      waiter.reject(failure(DISCONNECTED, "Quillion2: the connection to the component was lost"));
    }
  }

  window.addEventListener("message", (event) => {
    const data = event.data;
    if (event.source !== window || typeof data !== "object" || data === null ||
        data.tag !== TAG) {
      return;
    }
    if (data.kind === "closed") {
      disconnected();
      return;
    }
    const message = data.kind === "reply" ? data.message : null;
    if (typeof message !== "object" || message === null || !Number.isSafeInteger(message.id)) {
      return;
    }
    if ("chunk" in message) {
      addChunk(message);
    } else {
      settle(message);
    }
  });

  function objectProxy(handle) {
    const members = {
      get: guarded((name, ...args) => send({ op: "get", handle, name: String(name),
                                              args: encodeArgs(args) })),
      set: guarded((name, value) => send({ op: "put", handle, name: String(name),
                                           value: encode(value) })),
      release: guarded(() => send({ op: "release", handle })),
    };
    const proxy = new Proxy(members, {
      get(target, name) {
        // Not a thenable (`await` gives the proxy itself), nor serialisable to JSON.
        if (typeof name !== "string" || name === "then" || name === "toJSON") {
          return undefined;
        }
        if (Object.prototype.hasOwnProperty.call(target, name)) {
          return target[name];
        }
        return guarded((...args) => send({ op: "call", handle, name, args: encodeArgs(args) }));
      },
      set() {
        return false;
      },
    });
    handles.set(proxy, handle);
    return proxy;
  }

  function guarded(action) {
    return (...args) => {
      try {
        return action(...args);
      } catch (error) {
        return Promise.reject(error);
      }
    };
  }

  const Quillion2 = Object.freeze({
    create: guarded((progid) => {
      if (typeof progid !== "string") {
        throw new TypeError("Quillion2.create takes a ProgID");
      }
      return send({ op: "create", progid });
    }),
    Binary,
  });
  Object.defineProperty(window, "Quillion2", { value: Quillion2, enumerable: true });
})();
