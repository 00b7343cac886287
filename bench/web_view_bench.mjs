// The web build's matched view in Chromium, timed: the full-page viewer showing one
// image, from navigation to the image drawn (module load, stream, decode, match, draw).
// The monitor profile is chosen on the chooser page first, as a visitor does.
//
//   node bench/web_view_bench.mjs WEB_DIR IMAGE RUNS    prints one wall time a line (s)
import { chromium } from "../web/tests/node_modules/playwright-core/index.mjs";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";

const [webDir, image, runs] = process.argv.slice(2);
const root = path.resolve(webDir);
const server = http.createServer((request, response) => {
  const url = new URL(request.url, "http://127.0.0.1");
  const file = url.pathname === "/photo.jpg" ? image : path.join(root, path.normalize(url.pathname));
  if (!fs.existsSync(file) || !fs.statSync(file).isFile()) return response.writeHead(404).end();
  const types = { ".js": "text/javascript", ".wasm": "application/wasm", ".html": "text/html" };
  response.writeHead(200, { "content-type": types[path.extname(file)] || "application/octet-stream" });
  response.end(fs.readFileSync(file));
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const base = `http://127.0.0.1:${server.address().port}`;
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "zelvw-bench-"));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: "/usr/bin/chromium", headless: true, viewport: { width: 1024, height: 768 },
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run"],
});
try {
  const p = context.pages()[0];
  await p.goto(base + "/scrnpick.html");
  await p.evaluate(async () => {
    const { profiles } = await zelvw.displayProfiles();
    await zelvw.chooseDisplayProfile(profiles.find((n) => n === "sRGB"));
  });
  for (let i = 0; i < Number(runs); ++i) {
    const start = Date.now();
    await p.goto(base + "/viewer.html?src=/photo.jpg");
    await p.evaluate(() => zelvw.settled());
    if (await p.locator("dialog").count()) throw new Error("the view showed a message");
    console.log(((Date.now() - start) / 1000).toFixed(3));
  }
} finally {
  await context.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
