// The browser's side of the plug-in interface, in a web page. A page includes this one
// script; it loads the WebAssembly build once, reads the plug-in's registration record,
// announces the plug-in in navigator.plugins and navigator.mimeTypes, and turns every
// <object> and <embed> of a registered type (now or added later) into an instance shown
// in a <canvas>. Each stream is fetched, written to the module's file system under a
// cache path keeping the URL's file name, and handed over as a browser does:
// NPP_NewStream, NPP_Write blocks, NPP_StreamAsFile, NPP_DestroyStream.
//
// A page opts an element out with data-zelvw="off". A viewer page opens one image full
// page: <body data-zelvw-full="image.jpg">.
(() => {
  "use strict";
  const script = document.currentScript;
  const base = new URL(".", script ? script.src : document.baseURI);
  const NP_EMBED = 1;
  const NP_FULL = 2;
  const NPRES = { done: 0, networkError: 1, userBreak: 2 };
  const kBlock = 65536;
  const kMaxStalls = 1000;
  // What a browser maps file extensions to; an element is served when the plug-in
  // registers the type.
  const kBrowserTypes = { jpg: "image/jpeg", jpeg: "image/jpeg", jpe: "image/jpeg",
                          tif: "image/tiff", tiff: "image/tiff" };

  let module = null;     // the Emscripten module once started
  let record = null;     // the registration record's strings
  let types = new Map();  // MIME type -> its extensions, from the record
  let chain = Promise.resolve();  // calls into the module, one at a time
  let nextStream = 1;
  const instances = new Map();    // canvas -> instance
  const served = new WeakSet();   // elements already looked at
  const pending = new Set();      // instances still opening or streaming

  // Runs fn after every call before it: a plug-in call may wait for the person.
  function serial(fn) {
    const result = chain.then(fn);
    chain = result.catch(() => {});
    return result;
  }

  function call(name, returnType, argTypes, args) {
    return module.ccall(name, returnType, argTypes, args, { async: true });
  }

  // Code page 1252 text of the engine, read as Latin-1 (they differ in a few symbols).
  function latin1(pointer) {
    let text = "";
    for (let i = pointer; module.HEAPU8[i] !== 0; ++i) text += String.fromCharCode(module.HEAPU8[i]);
    return text;
  }

  function latin1String(text) {
    const pointer = module._malloc(text.length + 1);
    for (let i = 0; i < text.length; ++i) module.HEAPU8[pointer + i] = text.charCodeAt(i) & 0xFF;
    module.HEAPU8[pointer + text.length] = 0;
    return pointer;
  }

  function cString(text) {
    const size = module.lengthBytesUTF8(text) + 1;
    const pointer = module._malloc(size);
    module.stringToUTF8(text, pointer, size);
    return pointer;
  }

  function loadScript(url) {
    return new Promise((resolve, reject) => {
      const element = document.createElement("script");
      element.src = url;
      element.onload = resolve;
      element.onerror = () => reject(new Error("cannot load " + url));
      document.head.appendChild(element);
    });
  }

  // The engine's home and the Windows directory live in the browser's storage of the
  // site, so a monitor profile chosen once holds for every page.
  function persistentStorage(m) {
    m.FS.mkdir("/persist");
    m.FS.mount(m.IDBFS, {}, "/persist");
    m.ENV.ZIRN_HOME = "/persist/zirn";
    m.ENV.WINDIR = "/persist/windows";
    m.addRunDependency("zelvw-persist");
    m.FS.syncfs(true, () => {
      for (const dir of ["/persist/zirn", "/persist/windows"]) {
        if (!m.FS.analyzePath(dir).exists) m.FS.mkdir(dir);
      }
      m.removeRunDependency("zelvw-persist");
    });
  }

  function persist() {
    return new Promise((resolve) => module.FS.syncfs(false, () => resolve()));
  }

  async function start() {
    await loadScript(new URL("zelvw-module.js", base).href);
    module = await self.ZelvwModule({
      locateFile: (file) => new URL(file, base).href,
      preRun: [(m) => persistentStorage(m)],
    });
    module.zelvwMessageBox = messageBox;
    module.zelvwMenu = menu;
    module.zelvwPrintDialog = printDialog;
    module.FS.mkdir("/cache");
    const answer = JSON.parse(
      module.UTF8ToString(await call("zelvw_start", "number", [], [])));
    if (answer.error) throw new Error("the plug-in did not start: " + answer.error);
    record = answer;
    const mimes = (record.MIMEType || "").toLowerCase().split("|");
    const extents = (record.FileExtents || "").toLowerCase().split("|");
    mimes.forEach((type, i) => { if (type) types.set(type, (extents[i] || "").split(",")); });
    announce();
  }

  // navigator.plugins and navigator.mimeTypes as a browser with the plug-in shows them.
  function announce() {
    const plugin = { name: record.InternalName || record.OriginalFilename,
                     description: record.FileDescription || "",
                     filename: record.OriginalFilename || "", length: 0 };
    const mimeTypes = [];
    for (const [type, suffixes] of types) {
      const entry = { type, suffixes: suffixes.join(","), description: "", enabledPlugin: plugin };
      plugin[plugin.length++] = entry;
      plugin[type] = entry;
      mimeTypes.push(entry);
    }
    plugin.item = (i) => plugin[i] || null;
    plugin.namedItem = (name) => plugin[name] || null;
    const arrayOf = (items, key, builtIn) => {
      const list = Array.from(builtIn || []).concat(items);
      const array = { length: list.length, item: (i) => list[i] || null,
                      namedItem: (name) => list.find((x) => x[key] === name) || null,
                      refresh: () => {}, [Symbol.iterator]: () => list[Symbol.iterator]() };
      list.forEach((x, i) => { array[i] = x; });
      return array;
    };
    try {
      const plugins = arrayOf([plugin], "name", navigator.plugins);
      const mimes = arrayOf(mimeTypes, "type", navigator.mimeTypes);
      Object.defineProperty(navigator, "plugins", { get: () => plugins, configurable: true });
      Object.defineProperty(navigator, "mimeTypes", { get: () => mimes, configurable: true });
    } catch (e) {
      // A browser that will not let them be replaced keeps its own.
    }
  }

  function sourceOf(element) {
    const value = element.tagName === "OBJECT" ? element.getAttribute("data")
                                               : element.getAttribute("src");
    return value ? new URL(value, document.baseURI).href : null;
  }

  // The registered type the element is for: its type attribute, or what a browser makes
  // of its source's extension.
  function typeOf(element, url) {
    const declared = (element.getAttribute("type") || "").toLowerCase();
    if (declared) return types.has(declared) ? declared : null;
    if (!url) return null;
    const name = new URL(url).pathname.split("/").pop();
    const dot = name.lastIndexOf(".");
    if (dot < 0) return null;
    const extension = name.slice(dot + 1).toLowerCase();
    const mapped = kBrowserTypes[extension];
    if (mapped && types.has(mapped)) return mapped;
    for (const [type, suffixes] of types) if (suffixes.includes(extension)) return type;
    return null;
  }

  // Attributes as argn/argv; an <object>'s <param> children follow its attributes.
  function argumentsOf(element) {
    const names = [];
    const values = [];
    for (const attribute of element.attributes) {
      names.push(attribute.name);
      values.push(attribute.value);
    }
    if (element.tagName === "OBJECT") {
      for (const param of element.querySelectorAll(":scope > param")) {
        names.push(param.getAttribute("name") || "");
        values.push(param.getAttribute("value") || "");
      }
    }
    return { names, values };
  }

  function cssSize(element) {
    const rect = element.getBoundingClientRect();
    const width = Number(element.getAttribute("width")) || Math.round(rect.width) || 300;
    const height = Number(element.getAttribute("height")) || Math.round(rect.height) || 150;
    return { width, height };
  }

  // The window has one pixel per device pixel, so the image is as sharp as the screen.
  function deviceSize(size) {
    const ratio = window.devicePixelRatio || 1;
    return { width: Math.max(1, Math.round(size.width * ratio)),
             height: Math.max(1, Math.round(size.height * ratio)) };
  }

  function present(instance) {
    if (!instance.id) return;
    const pixels = module._zelvw_capture(instance.id);
    const width = module._zelvw_capture_width(instance.id);
    const height = module._zelvw_capture_height(instance.id);
    if (!pixels || width === 0 || height === 0) return;
    const canvas = instance.canvas;
    if (canvas.width !== width) canvas.width = width;
    if (canvas.height !== height) canvas.height = height;
    const bytes = new Uint8ClampedArray(module.HEAPU8.buffer, pixels, width * height * 4);
    canvas.getContext("2d").putImageData(new ImageData(new Uint8ClampedArray(bytes), width), 0, 0);
  }

  // The windows are shown once a frame at most, and never while a call into the module
  // is under way (it may be waiting for the person).
  let dirty = false;
  let frame = 0;
  let busy = false;
  function presentAll() {
    dirty = false;
    for (const instance of instances.values()) present(instance);
  }

  function requestPresent() {
    dirty = true;
    if (frame) return;
    frame = requestAnimationFrame(() => {
      frame = 0;
      if (dirty && !busy) presentAll();
    });
  }

  // Calls a plug-in function; the windows are shown as they are afterwards, and a file
  // the person saved meanwhile goes to the browser.
  function drive(name, returnType, argTypes, args) {
    return serial(async () => {
      busy = true;
      try {
        return await call(name, returnType, argTypes, args);
      } finally {
        busy = false;
        requestPresent();
        handOverDownloads();
        printPages();
      }
    });
  }

  // Files written under the name the save dialog proposed become the browser's download.
  function handOverDownloads() {
    const dir = "/downloads";
    if (!module.FS.analyzePath(dir).exists) return;
    for (const name of module.FS.readdir(dir)) {
      if (name === "." || name === "..") continue;
      const bytes = module.FS.readFile(dir + "/" + name);
      module.FS.unlink(dir + "/" + name);
      const link = document.createElement("a");
      link.href = URL.createObjectURL(new Blob([bytes]));
      link.download = name;
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    }
  }

  // A print job's pages, in a view of their own on the page's paper, through the
  // browser's print dialog; the view goes once the dialog is done.
  function printPages() {
    const dir = "/print";
    if (!module.FS.analyzePath(dir).exists) return;
    for (const job of module.FS.readdir(dir)) {
      if (job === "." || job === "..") continue;
      const pages = module.FS.readdir(dir + "/" + job).filter((n) => n.endsWith(".png"))
        .sort((a, b) => parseInt(a.slice(5), 10) - parseInt(b.slice(5), 10));
      const view = document.createElement("div");
      view.className = "zelvw-print";
      const style = document.createElement("style");
      style.textContent = "@media screen { .zelvw-print { display: none; } }" +
        "@media print { body > :not(.zelvw-print) { display: none !important; }" +
        " .zelvw-print img { width: 8.5in; height: 11in; display: block;" +
        " break-after: page; } } @page { size: 8.5in 11in; margin: 0; }";
      view.appendChild(style);
      for (const page of pages) {
        const path = dir + "/" + job + "/" + page;
        const image = document.createElement("img");
        image.src = URL.createObjectURL(new Blob([module.FS.readFile(path)], { type: "image/png" }));
        module.FS.unlink(path);
        view.appendChild(image);
      }
      module.FS.rmdir(dir + "/" + job);
      if (pages.length === 0) continue;
      document.body.appendChild(view);
      const done = () => {
        window.removeEventListener("afterprint", done);
        for (const image of view.querySelectorAll("img")) URL.revokeObjectURL(image.src);
        view.remove();
      };
      window.addEventListener("afterprint", done);
      Promise.all(Array.from(view.querySelectorAll("img"), (i) => i.decode())).then(() => window.print());
    }
  }

  // The print dialog: copies and resolution, or null when cancelled.
  function printDialog(copies) {
    return new Promise((resolve) => {
      const dialog = document.createElement("dialog");
      dialog.className = "zelvw-print-dialog";
      dialog.innerHTML = '<form method="dialog"><h1 style="font: bold 1em sans-serif">Print</h1>' +
        '<p><label>Copies <input name="copies" type="number" min="1" max="99"></label></p>' +
        '<p><label>Resolution <select name="dpi"><option value="150">150 dpi</option>' +
        '<option value="300">300 dpi</option><option value="600">600 dpi</option></select>' +
        '</label></p><button value="ok">Print</button> <button value="cancel">Cancel</button></form>';
      const form = dialog.querySelector("form");
      form.copies.value = String(copies || 1);
      dialog.addEventListener("close", () => {
        dialog.remove();
        const count = Math.floor(Number(form.copies.value));
        resolve(dialog.returnValue === "ok" && count >= 1 && count <= 99
          ? { copies: count, dpi: Number(form.dpi.value) } : null);
      });
      document.body.appendChild(dialog);
      dialog.showModal();
    });
  }

  // The person's hand on an instance's canvas: pointer, wheel and keys as raw input at
  // device pixels of its window. Moves that come faster than the plug-in takes them are
  // joined into the latest.
  const kModifierShift = 0x4;
  const kModifierControl = 0x8;
  function modifiers(event) {
    return (event.shiftKey ? kModifierShift : 0) | (event.ctrlKey ? kModifierControl : 0);
  }

  function windowPoint(instance, event) {
    const rect = instance.canvas.getBoundingClientRect();
    const scaleX = instance.canvas.width / (rect.width || 1);
    const scaleY = instance.canvas.height / (rect.height || 1);
    return [Math.floor((event.clientX - rect.left) * scaleX),
            Math.floor((event.clientY - rect.top) * scaleY)];
  }

  async function repeatWhileHeld() {
    for (;;) {
      const delay = await serial(() => call("zelvw_repeat_delay", "number", [], []));
      if (delay < 0) return;
      await new Promise((resolve) => setTimeout(resolve, delay));
      await drive("zelvw_repeat", null, [], []);
    }
  }

  function listen(instance) {
    const canvas = instance.canvas;
    let latest = null;
    let moving = false;
    const sendMoves = async () => {
      moving = true;
      while (latest) {
        const move = latest;
        latest = null;
        await drive("zelvw_pointer_move", null, ["number", "number", "number", "number"],
                    [instance.id, ...move]);
      }
      moving = false;
    };
    canvas.addEventListener("pointermove", (event) => {
      if (!instance.id) return;
      latest = [...windowPoint(instance, event), modifiers(event)];
      if (!moving) sendMoves();
    });
    const button = (down) => (event) => {
      if (!instance.id || event.button > 2) return;
      if (down) {
        // Focused here, not by the mouse's default action, which would come after a
        // menu the press opened and take the focus from it.
        event.preventDefault();
        canvas.focus();
        canvas.setPointerCapture(event.pointerId);
      }
      drive("zelvw_pointer_button", null, ["number", "number", "number", "number", "number",
                                           "number"],
            [instance.id, ...windowPoint(instance, event), event.button, down ? 1 : 0,
             modifiers(event)]);
      if (down) repeatWhileHeld();
    };
    canvas.addEventListener("pointerdown", button(true));
    canvas.addEventListener("pointerup", button(false));
    canvas.addEventListener("contextmenu", (event) => event.preventDefault());
    canvas.addEventListener("wheel", (event) => {
      if (!instance.id) return;
      event.preventDefault();
      // WHEEL_DELTA (120) a notch; a notch is 100 pixels or 3 lines in Chromium. A
      // sideways turn is the wheel with Shift, as Windows programs of the time took it.
      const unit = event.deltaMode === 1 ? 40 : event.deltaMode === 2 ? 120 : 1.2;
      const sideways = event.deltaY === 0 && event.deltaX !== 0;
      const delta = Math.round(-(sideways ? event.deltaX : event.deltaY) * unit);
      if (delta === 0) return;
      drive("zelvw_wheel", null, ["number", "number", "number", "number", "number"],
            [instance.id, ...windowPoint(instance, event), delta,
             modifiers(event) | (sideways ? kModifierShift : 0)]);
    }, { passive: false });
    const key = (down) => (event) => {
      if (!instance.id || event.keyCode === 0) return;
      event.preventDefault();
      drive("zelvw_key", null, ["number", "number", "number"],
            [event.keyCode, down ? 1 : 0, modifiers(event)]);
    };
    canvas.addEventListener("keydown", key(true));
    canvas.addEventListener("keyup", key(false));
  }

  async function open(instance, mode, size) {
    const { names, values } = argumentsOf(instance.element);
    const pointers = [];
    const strings = (list) => {
      const array = module._malloc(4 * Math.max(1, list.length));
      list.forEach((text, i) => {
        const pointer = cString(text);
        pointers.push(pointer);
        module.HEAPU32[(array >> 2) + i] = pointer;
      });
      pointers.push(array);
      return array;
    };
    const type = cString(instance.type);
    pointers.push(type);
    const device = deviceSize(size);
    instance.id = await drive("zelvw_new", "number",
                              ["number", "number", "number", "number", "number", "number", "number"],
                              [type, mode === NP_FULL ? 1 : 0, names.length, strings(names),
                               strings(values),
                               device.width, device.height]);
    pointers.forEach((p) => module._free(p));
    return instance.id !== 0;
  }

  // The stream, fetched and handed over block by block as it arrives.
  async function deliver(instance) {
    const name = decodeURIComponent(new URL(instance.url).pathname.split("/").pop()) || "stream";
    const dir = "/cache/" + nextStream++;
    const path = dir + "/" + name.replace(/[\/\0]/g, "_");
    module.FS.mkdir(dir);
    instance.cache = { dir, path };
    let response = null;
    try {
      response = await fetch(instance.url);
    } catch (e) {
      response = null;
    }
    const size = response && response.ok ? Number(response.headers.get("content-length")) || 0 : 0;
    const url = cString(instance.url);
    const type = await drive("zelvw_new_stream", "number", ["number", "number", "number"],
                             [instance.id, url, size]);
    module._free(url);
    if (type < 0) return;
    if (!response || !response.ok) {
      await drive("zelvw_destroy_stream", null, ["number", "number"],
                  [instance.id, NPRES.networkError]);
      return;
    }
    const file = module.FS.open(path, "w");
    let offset = 0;
    try {
      const reader = response.body.getReader();
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        module.FS.write(file, value, 0, value.length);
        if (!(await write(instance, offset, value))) {
          module.FS.close(file);
          return;
        }
        offset += value.length;
      }
    } catch (e) {
      module.FS.close(file);
      await drive("zelvw_destroy_stream", null, ["number", "number"],
                  [instance.id, NPRES.networkError]);
      return;
    }
    module.FS.close(file);
    const where = cString(path);
    await drive("zelvw_stream_as_file", null, ["number", "number"], [instance.id, where]);
    module._free(where);
    await drive("zelvw_destroy_stream", null, ["number", "number"], [instance.id, NPRES.done]);
  }

  // NPP_Write of one arrived chunk, in blocks the plug-in says it is ready for.
  async function write(instance, offset, bytes) {
    const buffer = module._malloc(kBlock);
    let at = 0;
    let stalls = 0;
    try {
      while (at < bytes.length) {
        const length = Math.min(kBlock, bytes.length - at);
        module.HEAPU8.set(bytes.subarray(at, at + length), buffer);
        const taken = await drive("zelvw_write", "number",
                                  ["number", "number", "number", "number"],
                                  [instance.id, offset + at, length, buffer]);
        if (taken < 0) return false;
        if (taken === 0 && ++stalls === kMaxStalls) return false;
        if (taken > 0) stalls = 0;
        at += taken;
      }
      return true;
    } finally {
      module._free(buffer);
    }
  }

  function makeCanvas(element, size) {
    const canvas = document.createElement("canvas");
    for (const attribute of ["id", "class", "style", "title"]) {
      if (element.hasAttribute(attribute)) canvas.setAttribute(attribute, element.getAttribute(attribute));
    }
    canvas.style.width = size.width + "px";
    canvas.style.height = size.height + "px";
    canvas.dataset.zelvwType = "";
    canvas.tabIndex = 0;
    return canvas;
  }

  async function serve(element, mode) {
    if (served.has(element) || element.dataset.zelvw === "off") return;
    served.add(element);
    const url = sourceOf(element);
    const type = typeOf(element, url);
    if (!type) return;
    const size = mode === NP_FULL ? { width: window.innerWidth, height: window.innerHeight }
                                  : cssSize(element);
    const canvas = makeCanvas(element, size);
    canvas.dataset.zelvwType = type;
    // An <embed> inside the <object> goes with it, as a browser shows one of the two.
    for (const inner of element.querySelectorAll("object, embed")) served.add(inner);
    // The viewer's own element never enters the document, so the browser does not fetch
    // the image itself: its canvas goes straight into the body.
    if (element.isConnected) element.replaceWith(canvas);
    else document.body.appendChild(canvas);
    const instance = { element, canvas, type, url, id: 0 };
    instances.set(canvas, instance);
    listen(instance);
    const work = (async () => {
      if ((await open(instance, mode, size)) && url) await deliver(instance);
    })();
    pending.add(work);
    try {
      await work;
    } finally {
      pending.delete(work);
    }
  }

  function scan(root) {
    if (!module) return;
    // Objects first: an object often wraps an embed of the same image.
    const found = [];
    if (root.matches && root.matches("object, embed")) found.push(root);
    if (root.querySelectorAll) {
      found.push(...root.querySelectorAll("object"), ...root.querySelectorAll("embed"));
    }
    for (const element of found) serve(element, NP_EMBED);
  }

  function forget(node) {
    const gone = [];
    for (const [canvas, instance] of instances) {
      if (canvas === node || (node.contains && node.contains(canvas))) gone.push(instance);
    }
    for (const instance of gone) {
      if (instance.canvas.isConnected) continue;
      instances.delete(instance.canvas);
      if (!instance.id) continue;
      // Once the instance is gone, its stream's file leaves the cache.
      drive("zelvw_destroy", null, ["number"], [instance.id]).then(() => {
        if (!instance.cache) return;
        try {
          module.FS.unlink(instance.cache.path);
          module.FS.rmdir(instance.cache.dir);
        } catch (e) {
          // Not written (a failed fetch), or the plug-in left more beside it: kept.
        }
      });
    }
  }

  function watch() {
    new MutationObserver((mutations) => {
      for (const mutation of mutations) {
        mutation.removedNodes.forEach(forget);
        mutation.addedNodes.forEach((node) => { if (node.nodeType === 1) scan(node); });
      }
    }).observe(document.documentElement, { childList: true, subtree: true });
  }

  // The viewer page: one image in the whole window, following its size.
  function viewFullPage(url) {
    const element = document.createElement("embed");
    element.setAttribute("src", url);
    document.body.style.margin = "0";
    document.body.style.overflow = "hidden";
    serve(element, NP_FULL);
    window.addEventListener("resize", () => {
      for (const instance of instances.values()) {
        const css = { width: window.innerWidth, height: window.innerHeight };
        const device = deviceSize(css);
        instance.canvas.style.width = css.width + "px";
        instance.canvas.style.height = css.height + "px";
        if (instance.id) {
          drive("zelvw_resize", null, ["number", "number", "number"],
                [instance.id, device.width, device.height]);
        }
      }
    });
  }

  // A modal HTML dialog for a message box: the page runs on while it waits.
  function messageBox(caption, text, style) {
    const buttons = { 0: [["OK", 1]], 1: [["OK", 1], ["Cancel", 2]],
                      3: [["Yes", 6], ["No", 7], ["Cancel", 2]], 4: [["Yes", 6], ["No", 7]],
                      5: [["Retry", 4], ["Cancel", 2]] }[style & 0xF] || [["OK", 1]];
    return new Promise((resolve) => {
      const dialog = document.createElement("dialog");
      dialog.className = "zelvw-message";
      const title = document.createElement("h1");
      title.textContent = caption;
      title.style.font = "bold 1em sans-serif";
      const body = document.createElement("p");
      body.textContent = text;
      body.style.whiteSpace = "pre-wrap";
      const row = document.createElement("form");
      row.method = "dialog";
      for (const [label, id] of buttons) {
        const button = document.createElement("button");
        button.textContent = label;
        button.value = String(id);
        row.appendChild(button);
      }
      dialog.append(title, body);
      // The advice to run the chooser leads to the site's chooser page.
      if (text.includes("SCRNPICK")) {
        const link = document.createElement("a");
        link.href = new URL("scrnpick.html", base).href;
        link.textContent = "Choose the monitor profile";
        dialog.append(link);
      }
      dialog.append(row);
      dialog.addEventListener("close", () => {
        dialog.remove();
        const cancel = buttons.find(([, id]) => id === 2);
        resolve(Number(dialog.returnValue) || (cancel ? 2 : buttons[0][1]));
      });
      document.body.appendChild(dialog);
      dialog.showModal();
    });
  }

  // The page point of a screen point of the window system: in the canvas of the
  // instance whose window is there.
  function pagePoint(x, y) {
    for (const instance of instances.values()) {
      if (!instance.id) continue;
      const left = module._zelvw_window_x(instance.id);
      const top = module._zelvw_window_y(instance.id);
      const canvas = instance.canvas;
      if (x < left || y < top || x >= left + canvas.width || y >= top + canvas.height) continue;
      const rect = canvas.getBoundingClientRect();
      return [rect.left + (x - left) * rect.width / canvas.width,
              rect.top + (y - top) * rect.height / canvas.height];
    }
    return [0, 0];
  }

  // A pop-up menu as an HTML menu at the pointer: click or keys (arrows, Enter, Escape);
  // a click elsewhere closes it without a choice (0).
  function menu(items, x, y) {
    return new Promise((resolve) => {
      const [left, top] = pagePoint(x, y);
      const list = document.createElement("div");
      list.className = "zelvw-menu";
      list.setAttribute("role", "menu");
      list.tabIndex = -1;
      Object.assign(list.style, {
        position: "fixed", left: left + "px", top: top + "px", zIndex: 2147483647,
        background: "#f0f0f0", border: "1px solid #808080", padding: "2px 0",
        font: "12px sans-serif", boxShadow: "2px 2px 3px rgba(0,0,0,0.3)" });
      const choices = [];
      const finish = (id) => {
        document.removeEventListener("pointerdown", outside, true);
        list.remove();
        resolve(id);
      };
      const outside = (event) => { if (!list.contains(event.target)) finish(0); };
      for (const item of items) {
        if (item.separator) {
          const line = document.createElement("hr");
          line.style.margin = "3px 0";
          list.appendChild(line);
          continue;
        }
        const entry = document.createElement("div");
        entry.setAttribute("role", "menuitem");
        entry.textContent = (item.checked ? "\u2713 " : "") +
                            item.text.replace(/&(&?)/g, (all, amp) => amp);
        entry.tabIndex = -1;
        entry.style.padding = "3px 20px";
        if (!item.enabled) {
          entry.setAttribute("aria-disabled", "true");
          entry.style.color = "#808080";
        } else {
          entry.addEventListener("click", () => finish(item.id));
          entry.addEventListener("pointerenter", () => entry.focus());
          entry.addEventListener("focus", () => { entry.style.background = "#c0d8f0"; });
          entry.addEventListener("blur", () => { entry.style.background = ""; });
          choices.push([entry, item.id]);
        }
        list.appendChild(entry);
      }
      list.addEventListener("keydown", (event) => {
        const at = choices.findIndex(([entry]) => entry === document.activeElement);
        if (event.key === "Escape") finish(0);
        else if (event.key === "Enter" && at >= 0) finish(choices[at][1]);
        else if (event.key === "ArrowDown" || event.key === "ArrowUp") {
          const step = event.key === "ArrowDown" ? 1 : choices.length - 1;
          const next = choices[(at + step + (at < 0 && step > 1 ? 1 : 0)) % choices.length];
          if (next) next[0].focus();
        } else return;
        event.preventDefault();
      });
      document.body.appendChild(list);
      document.addEventListener("pointerdown", outside, true);
      if (choices.length > 0) choices[0][0].focus();
      else list.focus();
    });
  }

  const ready = start().then(() => {
    const full = document.body && document.body.dataset.zelvwFull;
    if (full) viewFullPage(new URL(full, document.baseURI).href);
    scan(document);
    watch();
  });
  ready.catch((e) => console.error("zelvw:", e));
  // Resolves when every instance has opened and taken its stream.
  async function settled() {
    await ready;
    while (pending.size > 0) await Promise.allSettled([...pending]);
    await serial(() => { if (dirty) presentAll(); });
  }

  // The chooser's page: the display profiles, and the one chosen for every page of the
  // site (stored in the browser's storage before the promise resolves).
  async function displayProfiles() {
    await ready;
    return JSON.parse(latin1(await serial(() => call("zelvw_display_profiles", "number", [], []))));
  }

  async function chooseDisplayProfile(name) {
    await ready;
    const pointer = latin1String(name);
    const status = await serial(() => call("zelvw_choose_display_profile", "number", ["number"],
                                           [pointer]));
    module._free(pointer);
    await persist();
    return status === 0;
  }

  self.zelvw = { ready, settled, displayProfiles, chooseDisplayProfile };
})();
