// Checks of the page library alone, on an origin the extension does not serve: the driver puts
// bridge/extension/quillion2.js into the page, and this script answers the library's requests
// in place of the relay, with replies a host could send (chunked, out of order, errors) or
// a lost connection.
"use strict";

const TAG = "org.quillion.bridge";

// Answers the next request with `answer(request)`, a list of messages to post back.
function relayOnce(answer) {
  return new Promise((resolve) => {
    function listener(event) {
      const data = event.data;
      if (event.source !== window || !data || data.tag !== TAG || data.kind !== "request") {
        return;
      }
      window.removeEventListener("message", listener);
      for (const message of answer(data.message)) {
        window.postMessage(Object.assign({ tag: TAG }, message), "*");
      }
      resolve(data.message);
    }
    window.addEventListener("message", listener);
  });
}

function reply(message) {
  return { kind: "reply", message };
}

function chunksOf(id, text, sizes) {
  const pieces = [];
  let at = 0;
  for (const size of sizes) {
    pieces.push(text.slice(at, at + size));
    at += size;
  }
  pieces.push(text.slice(at));
  return pieces.map((data, chunk) => reply({ id, chunk, chunks: pieces.length, data }));
}

async function outcome(promise) {
  try {
    const value = await promise;
    return { value };
  } catch (e) {
    return { number: e.number ?? null, description: e.description ?? null, isError: e instanceof Error,
             type: e.constructor.name };
  }
}

const libraryCases = {
  async chunked() {
    let seen = null;
    const relayed = relayOnce((request) => {
      seen = request;
      return chunksOf(request.id, JSON.stringify({ id: request.id, result: { $bin: "AAEC/w==" } }),
                      [3, 9]);
    });
    const result = await outcome(Quillion2.create("Quillion2.QNContent"));
    await relayed;
    return { request: seen, isBinary: result.value instanceof Quillion2.Binary,
             bytes: result.value ? Array.from(result.value.bytes) : null };
  },

  async out_of_order() {
    relayOnce((request) => {
      const parts = chunksOf(request.id, JSON.stringify({ id: request.id, result: 1 }), [4, 4]);
      return [parts[0], parts[2], parts[1]];
    });
    return outcome(Quillion2.create("Quillion2.QNContent"));
  },

  async error_reply() {
    relayOnce((request) => [reply({ id: request.id,
                                    error: { number: -2147024891, description: "Acceso denegado" } })]);
    return outcome(Quillion2.create("Quillion2.PdfSign"));
  },

  async lost_connection() {
    relayOnce(() => [{ kind: "closed" }]);
    return outcome(Quillion2.create("Quillion2.QNContent"));
  },

  // Arguments: an object proxy goes as its handle, a Date as ISO 8601, a Binary as Base64,
  // trailing undefined arguments are left out; a value that cannot travel is refused before
  // anything is sent.
  async arguments() {
    relayOnce((request) => [reply({ id: request.id, result: { $obj: 5 } })]);
    const object = (await outcome(Quillion2.create("Quillion2.QNContent"))).value;
    const sent = relayOnce((request) => [reply({ id: request.id, result: { $date: "2026-12-09T20:15:00.000Z" } })]);
    const date = (await outcome(object.verifyDates(object, new Date(Date.UTC(2026, 11, 9, 20, 15)),
                                                  new Quillion2.Binary(new Uint8Array([0, 255, 7])),
                                                  null, undefined, undefined))).value;
    const request = await sent;
    const refused = await outcome(object.toBASE64(NaN));
    const awaited = await Promise.resolve(object); // not a thenable
    return { request, date: date instanceof Date ? date.toISOString() : null, refused,
             awaitedIsObject: awaited === object };
  },
};

window.runLibraryCase = async (name) => {
  try {
    return { result: await libraryCases[name]() };
  } catch (e) {
    return { thrown: String(e) };
  }
};
