// The web build in Chromium: Debian's chromium, headless, driven by playwright-core
// against pages served from 127.0.0.1 by a small server of this script. The steps run
// in order in one browser profile, as a visitor goes from page to page.
//
//   node run.mjs WEB_DIR [SCREENSHOT_DIR]   WEB_DIR: the build's web/ (module, script,
//                                           pages, samples)
import { chromium } from "playwright-core";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";

const [webDir, shotDir] = process.argv.slice(2);
if (!webDir) {
  console.error("usage: node run.mjs WEB_DIR [SCREENSHOT_DIR]");
  process.exit(2);
}

// Colours as the native end-to-end tests judge them: decoded within 6, matched within 8.
const kDecodedTolerance = 6;
const kMatchedTolerance = 8;
const RED = [255, 0, 0];
const GREEN = [0, 255, 0];
const BLUE = [0, 0, 255];
const kSwappedProfile = "/usr/share/color/icc/colord/SwappedRedAndGreen.icc";
// The chart's last row (patches of 48) holds red, green and blue.
const kChartRow = 5 * 48 + 26;

// An uncompressed RGB TIFF of 48-pixel patches in a row, with an embedded profile.
function tiffWithProfile(patches, profile) {
  const width = 48 * patches.length;
  const height = 48;
  const pixels = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) pixels.set(patches[Math.floor(x / 48)], (y * width + x) * 3);
  }
  const tags = [[256, 3, 1, width], [257, 3, 1, height], [258, 3, 3, "bits"], [259, 3, 1, 1],
                [262, 3, 1, 2], [273, 4, 1, "pixels"], [277, 3, 1, 3], [278, 3, 1, height],
                [279, 4, 1, pixels.length], [284, 3, 1, 1], [34675, 7, profile.length, "icc"]];
  const ifdSize = 2 + tags.length * 12 + 4;
  const bitsAt = 8 + ifdSize;
  const iccAt = bitsAt + 6;
  const pixelsAt = iccAt + profile.length;
  const out = Buffer.alloc(pixelsAt + pixels.length);
  out.write("II", 0, "latin1");
  out.writeUInt16LE(42, 2);
  out.writeUInt32LE(8, 4);
  out.writeUInt16LE(tags.length, 8);
  const places = { bits: bitsAt, pixels: pixelsAt, icc: iccAt };
  tags.forEach(([tag, type, count, value], i) => {
    const at = 10 + i * 12;
    out.writeUInt16LE(tag, at);
    out.writeUInt16LE(type, at + 2);
    out.writeUInt32LE(count, at + 4);
    const v = typeof value === "string" ? places[value] : value;
    if (type === 3 && count === 1) out.writeUInt16LE(v, at + 8);
    else out.writeUInt32LE(v, at + 8);
  });
  for (let i = 0; i < 3; ++i) out.writeUInt16LE(8, bitsAt + 2 * i);
  profile.copy(out, iccAt);
  pixels.copy(out, pixelsAt);
  return out;
}

// What the server has beside the build's web/ directory.
const extra = new Map([
  ["/patches-swapped.tif", tiffWithProfile([RED, GREEN, BLUE], fs.readFileSync(kSwappedProfile))],
  ["/broken.jpg", Buffer.from("\xff\xd8\xff\xe0 this is no JPEG image at all", "latin1")],
]);
const kTypes = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
                 ".jpg": "image/jpeg", ".tif": "image/tiff", ".data": "application/octet-stream" };

function page(body) {
  return `<!DOCTYPE html><html><head><meta charset="utf-8"><script src="/zelvw.js"></script>
</head><body style="margin:0">${body}</body></html>`;
}

function serve(request, response) {
  const url = new URL(request.url, "http://127.0.0.1");
  let body = extra.get(url.pathname);
  if (body === undefined) {
    const root = path.resolve(webDir);
    const file = path.join(root, path.normalize(decodeURIComponent(url.pathname)));
    if (file.startsWith(root) && fs.existsSync(file) && fs.statSync(file).isFile()) {
      body = fs.readFileSync(file);
    }
  }
  if (body === undefined) {
    response.writeHead(404).end();
    return;
  }
  response.writeHead(200, { "content-type": kTypes[path.extname(url.pathname)] || "text/plain",
                            "content-length": body.length });
  response.end(body);
}

async function pixel(p, index, x, y) {
  return p.evaluate(([i, px, py]) => {
    const canvas = document.querySelectorAll("canvas")[i];
    return Array.from(canvas.getContext("2d").getImageData(px, py, 1, 1).data.slice(0, 3));
  }, [index, x, y]);
}

// The whole canvas, as text to compare.
async function pixels(p, index) {
  return p.evaluate((i) => {
    const canvas = document.querySelectorAll("canvas")[i];
    const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    return Array.from(data).join(",");
  }, index);
}

function near(actual, expected, tolerance) {
  return actual.every((c, i) => Math.abs(c - expected[i]) <= tolerance);
}

// [canvas, x, y, expected colour, tolerance] for each check.
async function expectColours(p, checks) {
  for (const [index, x, y, colour, tolerance] of checks) {
    const actual = await pixel(p, index, x, y);
    if (!near(actual, colour, tolerance)) {
      throw new Error(`canvas ${index} at ${x},${y}: ${actual} is not ${colour} (±${tolerance})`);
    }
  }
}

async function settle(p) {
  await p.evaluate(() => self.zelvw.settled());
}

async function openPage(p, url) {
  await p.goto(url);
  await settle(p);
}

const steps = [
  ["the chooser page stores sRGB for the site", async (p, base) => {
    await openPage(p, base + "/scrnpick.html");
    await p.waitForFunction(() => document.getElementById("profiles").options.length > 0);
    const name = await p.evaluate(() => Array.from(document.getElementById("profiles").options)
      .map((o) => o.value).find((n) => n.startsWith("sRGB")));
    if (!name) throw new Error("the chooser lists no sRGB profile");
    await p.selectOption("#profiles", name);
    await p.dblclick(`#profiles option[value="${name}"]`);
    await p.waitForFunction(() => document.getElementById("status").textContent.startsWith("Chosen"));
    await p.reload();
    const current = await p.evaluate(async () => (await zelvw.displayProfiles()).current);
    if (current !== name) throw new Error(`after a reload the profile is ${current}`);
  }],
  ["a JFXX JPEG and a TIFF with profiles show the colours matched to sRGB", async (p, base) => {
    await openPage(p, base + "/t/two.html");
    await expectColours(p, [
      [0, 26, kChartRow, GREEN, kMatchedTolerance], [0, 48 + 26, kChartRow, RED, kMatchedTolerance],
      [0, 96 + 26, kChartRow, BLUE, kMatchedTolerance],
      [1, 24, 24, GREEN, kMatchedTolerance], [1, 48 + 24, 24, RED, kMatchedTolerance]]);
    // The page finds the plug-in where pages looked for one, under the record's types.
    const found = await p.evaluate(() => ["image/jpeg", "image/tiff"].map(
      (type) => navigator.mimeTypes.namedItem(type)?.enabledPlugin?.filename));
    if (found.some((name) => name !== "NPZELVW.DLL")) throw new Error(`navigator says ${found}`);
  }],
  ["the full-page viewer shows the decoded image left and the matched one right", async (p, base) => {
    await p.setViewportSize({ width: 800, height: 320 });
    await openPage(p, base + "/viewer.html?src=samples/chart-swapped.jpg");
    await expectColours(p, [
      [0, 26, kChartRow, RED, kDecodedTolerance], [0, 384 + 26, kChartRow, GREEN, kMatchedTolerance]]);
    // The window follows the browser window's size, and the wheel turned sideways
    // scrolls it until the matched half's first patch is where the decoded half's third was.
    await p.setViewportSize({ width: 500, height: 320 });
    await p.waitForFunction(() => document.querySelector("canvas").width === 500);
    await expectColours(p, [[0, 2 * 48 + 26, kChartRow, BLUE, kDecodedTolerance]]);
    await p.mouse.move(250, 100);
    for (let i = 0; i < 20; ++i) await p.mouse.wheel(100, 0);
    await settle(p);
    await expectColours(p, [[0, 500 - 384 + 26, kChartRow, GREEN, kMatchedTolerance]]);
  }],
  ["right click: Save as downloads the delivered file as it was; About is the engine's", async (p, base) => {
    await openPage(p, base + "/t/one.html");
    await p.mouse.click(50, 50, { button: "right" });
    const item = p.locator(".zelvw-menu [role=menuitem]", { hasText: "Save as..." });
    await item.waitFor();
    const [download] = await Promise.all([p.waitForEvent("download"), item.click()]);
    const saved = fs.readFileSync(await download.path());
    const delivered = fs.readFileSync(path.join(webDir, "samples/chart-swapped.jpg"));
    if (download.suggestedFilename() !== "chart-swapped.JPG") {
      throw new Error(`the download is named ${download.suggestedFilename()}`);
    }
    if (!saved.equals(delivered)) throw new Error("the download differs from the delivered file");
    // About: the engine's dialog library, bound to the engine by name, in the page's dialog.
    await p.mouse.click(50, 50, { button: "right" });
    await p.locator(".zelvw-menu [role=menuitem]", { hasText: "About Zelcora\u00ae" }).click();
    const about = p.locator("dialog.zelvw-message");
    await about.waitFor();
    const text = await about.textContent();
    if (!text.includes("About ZIRN") || !text.includes("Monitor profile: sRGB")) {
      throw new Error(`the About dialog says ${text}`);
    }
    await about.locator("button").click();
  }],
  ["Print: the print view holds one page a copy with the image at 65 pixels an inch", async (p, base) => {
    await openPage(p, base + "/t/one.html");
    await p.evaluate(() => { window.print = () => { window.printed = true; }; });
    // The menu opens at the pointer and answers the keys: down twice from the first item
    // is Print.
    await p.mouse.click(50, 50, { button: "right" });
    const place = await p.locator(".zelvw-menu").boundingBox();
    if (Math.abs(place.x - 50) > 1 || Math.abs(place.y - 50) > 1) {
      throw new Error(`the menu opened at ${place.x},${place.y}`);
    }
    for (const key of ["ArrowDown", "ArrowDown", "Enter"]) await p.keyboard.press(key);
    const dialog = p.locator("dialog.zelvw-print-dialog");
    await dialog.locator("input[name=copies]").fill("2");
    await dialog.locator("select[name=dpi]").selectOption("150");
    await dialog.locator("button[value=ok]").click();
    await p.waitForFunction(() => window.printed === true);
    const pages = await p.evaluate(() => Array.from(document.querySelectorAll(".zelvw-print img"),
      (image) => {
        const canvas = document.createElement("canvas");
        canvas.width = image.naturalWidth;
        canvas.height = image.naturalHeight;
        const context = canvas.getContext("2d");
        context.drawImage(image, 0, 0);
        // The image's width: the first and last pixel that is not white, across the middle.
        const row = context.getImageData(0, canvas.height >> 1, canvas.width, 1).data;
        const inked = [];
        for (let x = 0; x < canvas.width; ++x) if (row[4 * x] + row[4 * x + 1] + row[4 * x + 2] < 750) inked.push(x);
        return [canvas.width, canvas.height, inked.length ? inked.at(-1) - inked[0] + 1 : 0];
      }));
    const imageWidth = Math.round(384 * 150 / 65);
    if (pages.length !== 2) throw new Error(`the print view has ${pages.length} pages, not 2`);
    for (const [width, height, inked] of pages) {
      if (width !== 1275 || height !== 1650 || Math.abs(inked - imageWidth) > 2) {
        throw new Error(`a page of ${width}x${height} with an image ${inked} wide, not ${imageWidth}`);
      }
    }
  }],
  ["a broken file shows the plug-in's message, and the page's other image is shown", async (p, base) => {
    await p.setViewportSize({ width: 1000, height: 700 });
    await p.goto(base + "/t/broken.html");
    const dialog = p.locator("dialog.zelvw-message");
    await dialog.waitFor();
    const text = await dialog.textContent();
    if (!text.includes("Failed in converting to DIB file")) throw new Error(`the dialog says ${text}`);
    await dialog.locator("button").first().click();
    await settle(p);
    await expectColours(p, [[1, 26, 26, GREEN, kMatchedTolerance]]);
    // The other image still scrolls: a notch of the wheel down changes what it shows.
    const before = await pixels(p, 1);
    const box = await p.locator("canvas").nth(1).boundingBox();
    await p.mouse.move(box.x + 50, box.y + 50);
    await p.mouse.wheel(0, 100);
    await settle(p);
    const wheeled = await pixels(p, 1);
    if (wheeled === before) throw new Error("the wheel did not scroll the image");
    // And its scroll bar's down arrow (the bottom 17 pixels of the right-hand bar).
    await p.mouse.click(box.x + 200 - 8, box.y + 150 - 17 - 8);
    await settle(p);
    if ((await pixels(p, 1)) === wheeled) throw new Error("the arrow did not scroll the image");
  }],
  ["at twice the pixels a CSS pixel, the window has one pixel per device pixel", async (p, base) => {
    const cdp = await p.context().newCDPSession(p);
    await cdp.send("Emulation.setDeviceMetricsOverride",
                   { width: 800, height: 600, deviceScaleFactor: 2, mobile: false });
    try {
      await openPage(p, base + "/t/one.html");
      const size = await p.evaluate(() => {
        const canvas = document.querySelector("canvas");
        return [canvas.width, canvas.height, canvas.getBoundingClientRect().width];
      });
      if (size.join() !== "768,576,384") throw new Error(`the canvas is ${size}`);
      await expectColours(p, [[0, 26, kChartRow, GREEN, kMatchedTolerance]]);
    } finally {
      await cdp.send("Emulation.clearDeviceMetricsOverride");
    }
  }],
  ["an embed added by script after load is shown", async (p, base) => {
    await openPage(p, base + "/t/empty.html");
    await p.evaluate(() => {
      const embed = document.createElement("embed");
      embed.src = "/samples/chart-swapped.jpg";
      embed.width = 384;
      embed.height = 288;
      document.body.appendChild(embed);
    });
    await p.waitForFunction(() => document.querySelector("canvas"));
    await settle(p);
    await expectColours(p, [[0, 26, kChartRow, GREEN, kMatchedTolerance]]);
    // Removed, it is torn down; one added again is a new instance.
    await p.evaluate(() => {
      document.querySelector("canvas").remove();
      const embed = document.createElement("embed");
      embed.src = "/samples/chart-swapped.jpg";
      document.body.appendChild(embed);
    });
    await p.waitForFunction(() => document.querySelectorAll("canvas").length === 1);
    await settle(p);
    await expectColours(p, [[0, 26, 26, GREEN, kMatchedTolerance]]);
  }],
];

extra.set("/t/two.html", page(`<embed src="/samples/chart-swapped.jpg" width="384" height="288">
<object data="/patches-swapped.tif" type="image/tiff" width="144" height="48"></object>`));
extra.set("/t/broken.html", page(`<embed src="/broken.jpg" width="200" height="100">
<embed src="/samples/chart-swapped.jpg" width="200" height="150">`));
extra.set("/t/one.html", page(`<embed src="/samples/chart-swapped.jpg" width="384" height="288">`));
extra.set("/t/empty.html", page(""));

const server = http.createServer(serve);
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const base = `http://127.0.0.1:${server.address().port}`;
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "zelvw-chromium-"));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: "/usr/bin/chromium", headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run"],
});
let failed = 0;
try {
  const p = context.pages()[0] || (await context.newPage());
  // An error the page's script did not handle fails the step it happened in.
  const pageErrors = [];
  p.on("pageerror", (e) => pageErrors.push(e.message));
  for (const [name, step] of steps) {
    try {
      await step(p, base);
      if (pageErrors.length > 0) throw new Error("the page failed: " + pageErrors.splice(0).join("; "));
      console.log(`ok - ${name}`);
    } catch (e) {
      ++failed;
      console.log(`not ok - ${name}: ${e.message}`);
    }
    if (shotDir) {
      fs.mkdirSync(shotDir, { recursive: true });
      await p.screenshot({ path: path.join(shotDir, `${steps.findIndex(([n]) => n === name) + 1}.png`) });
    }
  }
} finally {
  await context.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
process.exit(failed === 0 ? 0 : 1);
