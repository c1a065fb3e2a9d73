// Cases the end-to-end driver runs in this page through window.runCase(name). Each resolves
// to a plain object the driver checks; an Error from Quillion2 becomes {error: {number,
// description}} so the driver sees the number the page saw.
"use strict";

const MT_CADES = 7;
const SHA256 = "2.16.840.1.101.3.4.2.1";
const SIGNED_TEXT = "Contenido firmado desde una página web (Quillion2 bridge).\n";

function errorOf(e) {
  return {
    error: {
      number: typeof e.number === "number" ? e.number : null,
      description: typeof e.description === "string" ? e.description : String(e),
      isError: e instanceof Error,
    },
  };
}

async function hex(bytes) {
  const digest = new Uint8Array(await crypto.subtle.digest("SHA-256", bytes));
  return Array.from(digest, (b) => b.toString(16).padStart(2, "0")).join("");
}

async function cadesSystem() {
  const system = await Quillion2.create("Quillion2.QNCryptoSystem");
  await system.setMode(MT_CADES);
  await system.setProperty("HashAlgorithm", SHA256);
  return system;
}

// The first certificate of MY with a private key and a signing key usage.
async function signingCertificate(system) {
  const store = await system.openSystemStore("MY", 2);
  const certificates = await store.getCertificates();
  const count = await certificates.get("length");
  for (let i = 0; i < count; i++) {
    const certificate = await certificates.getCertificate(i);
    const usage = await certificate.getKeyUsage();
    if ((await certificate.hasPrivateKey()) &&
        ((await usage.get("Item", 0)) || (await usage.get("Item", 1)))) {
      return { certificates, certificate };
    }
  }
  throw new Error("no signing certificate in MY");
}

async function signDetached(system, certificate) {
  const content = await Quillion2.create("Quillion2.QNContent");
  await content.set("contentString", SIGNED_TEXT);
  const signData = await system.newSignData();
  const signature = await signData.sign(content, certificate, 1);
  return { content, signature };
}

const cases = {
  // Lists MY, signs a text as detached CAdES, verifies it with QNVerifier; also carries a
  // binary string with zero bytes and an odd length there and back, and dates both ways.
  async sign() {
    const system = await cadesSystem();
    const { certificates, certificate } = await signingCertificate(system);
    const table = await system.getCertificates(certificates, 0, "ALL", 0, "Subject|CN", "");
    const validFrom = await certificate.getValidFromDate();
    const validNow = await certificate.verifyDates(new Date());

    const { content, signature } = await signDetached(system, certificate);
    const base64 = await signature.toBASE64();
    const verifier = await system.newVerifier();
    const verified = await verifier.verify(signature, content, 1);
    const status = await verifier.getStatus(0);

    const bytes = new Uint8Array([0, 1, 2, 0, 255, 128, 10, 13, 0]);
    const carrier = await Quillion2.create("Quillion2.QNContent");
    await carrier.set("contentData", new Quillion2.Binary(bytes));
    const back = await carrier.get("contentData");
    const again = await Quillion2.create("Quillion2.QNContent");
    await again.set("contentData", back); // a Binary result goes back unchanged
    const backAgain = await again.get("contentData");

    await carrier.release();
    let afterRelease = null;
    try {
      await carrier.get("contentData");
    } catch (e) {
      afterRelease = errorOf(e).error;
    }
    return {
      table,
      subject: await certificate.getSubjectName(),
      validFrom: validFrom instanceof Date ? validFrom.toISOString() : null,
      validNow,
      signedText: SIGNED_TEXT,
      signature: base64,
      verified,
      idError: await status.get("idError"),
      errorDescription: await status.get("errorDescription"),
      binaryIsWrapper: back instanceof Quillion2.Binary,
      binaryBack: Array.from(back.bytes),
      binaryBackAgain: Array.from(backAgain.bytes),
      afterRelease,
    };
  },

  // A component call that the host refuses or fails: whatever error it gives.
  async create_content() {
    const content = await Quillion2.create("Quillion2.QNContent");
    await content.set("contentString", "abc");
    return { value: await content.get("contentString") };
  },

  async pdfsign() {
    await Quillion2.create("Quillion2.PdfSign");
    return { created: true };
  },

  async load_file_with_path() {
    const content = await Quillion2.create("Quillion2.QNContent");
    await content.loadFileWithPath("/etc/hostname");
    return { loaded: true };
  },

  async sign_declined() {
    const system = await cadesSystem();
    const { certificate } = await signingCertificate(system);
    await signDetached(system, certificate);
    return { signed: true };
  },

  // A request posted by hand, claiming the origin the user refused: the extension must send
  // this page's own origin instead, so the object is created.
  async spoofed_origin() {
    const id = 999999;
    const reply = new Promise((resolve) => {
      window.addEventListener("message", (event) => {
        const data = event.data;
        if (event.source !== window || !data || data.tag !== "org.quillion.bridge") {
          return;
        }
        if (data.kind === "closed") {
          resolve({ error: { number: -2147417848, description: "connection lost" } });
        } else if (data.kind === "reply" && data.message && data.message.id === id) {
          resolve(data.message);
        }
      });
    });
    window.postMessage({
      tag: "org.quillion.bridge",
      kind: "request",
      message: { id, op: "create", progid: "Quillion2.QNContent",
                 origin: "http://localhost:" + location.port },
    }, "*");
    const message = await reply;
    if (message.error) {
      throw Object.assign(new Error(message.error.description), message.error);
    }
    return { created: typeof message.result === "object" && message.result !== null &&
                      typeof message.result.$obj === "number" };
  },

  // About 10 MiB of UTF-8 text with characters of two, three and four bytes, numbered by
  // line so that a piece out of place changes the digest.
  async large() {
    const lines = [];
    let size = 0;
    const encoder = new TextEncoder();
    for (let i = 0; size < 10 * 1024 * 1024; i++) {
      const line = i + " firma electrónica € 𝄞 ñandú\n";
      lines.push(line);
      size += encoder.encode(line).length;
    }
    const text = lines.join("");
    const content = await Quillion2.create("Quillion2.QNContent");
    await content.set("contentString", text);
    const back = await content.get("contentString");
    const bytes = encoder.encode(back);
    return {
      same: back === text,
      lines: lines.length,
      utf8Length: bytes.length,
      sha256: await hex(bytes),
    };
  },
};

window.runCase = async (name) => {
  try {
    return { result: await cases[name]() };
  } catch (e) {
    return errorOf(e);
  }
};
