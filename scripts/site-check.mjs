// Loads a built documentation site in headless Chromium and checks what a reader sees: every operation's path and
// summary on the index page, and a search that finds an operation.
//
//     node scripts/site-check.mjs --dist DIR --document API.json --index /en/ --search /en/search [--screenshot FILE]
//
// The site is served from 127.0.0.1 by a small static server of this script, so its absolute links work.
import { execFile } from "node:child_process";
import { createServer } from "node:http";
import { readFileSync, statSync } from "node:fs";
import { extname, join, normalize } from "node:path";

const args = Object.fromEntries(
  process.argv.slice(2).reduce((pairs, value, i, all) => (i % 2 === 0 ? [...pairs, [value.slice(2), all[i + 1]]] : pairs), []),
);
const chromium = args.chromium ?? "chromium";
const types = { ".html": "text/html; charset=utf-8", ".css": "text/css", ".js": "text/javascript", ".json": "application/json", ".svg": "image/svg+xml" };

function fileFor(urlPath) {
  const clean = normalize(decodeURIComponent(urlPath)).replace(/^(\.\.[/\\])+/, "");
  for (const candidate of [clean, join(clean, "index.html"), `${clean}.html`]) {
    const file = join(args.dist, candidate);
    try {
      if (statSync(file).isFile()) return file;
    } catch {}
  }
  return null;
}

const server = createServer((request, response) => {
  const file = fileFor(new URL(request.url, "http://localhost").pathname);
  if (!file) {
    response.writeHead(404).end("not found");
    return;
  }
  response.writeHead(200, { "content-type": types[extname(file)] ?? "application/octet-stream" });
  response.end(readFileSync(file));
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

// Chromium runs beside this process's own server, so it must not block the event loop.
function browse(url, extra) {
  return new Promise((resolve, reject) => {
    execFile(
      chromium,
      ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--virtual-time-budget=5000", ...extra, url],
      { encoding: "utf8", timeout: 90000, maxBuffer: 256 * 1024 * 1024 },
      (error, stdout) => (error ? reject(new Error(`chromium failed on ${url}: ${error.message}`)) : resolve(stdout)),
    );
  });
}

function text(html) {
  return html
    .replace(/<(script|style)[\s\S]*?<\/\1>/g, " ")
    .replace(/<[^>]*>/g, " ")
    .replace(/&#x([0-9a-f]+);/gi, (_, hex) => String.fromCodePoint(parseInt(hex, 16)))
    .replace(/&#([0-9]+);/g, (_, dec) => String.fromCodePoint(Number(dec)))
    .replace(/&lt;/g, "<").replace(/&gt;/g, ">").replace(/&quot;/g, '"').replace(/&nbsp;/g, " ").replace(/&amp;/g, "&")
    .replace(/\s+/g, " ");
}
const squeeze = (value) => value.replace(/\s+/g, " ").trim();

const failures = [];
const document = JSON.parse(readFileSync(args.document, "utf8"));
const methods = ["get", "put", "post", "delete", "options", "head", "patch", "trace"];
const operations = [];
for (const [path, item] of Object.entries(document.paths ?? {})) {
  for (const method of methods) {
    if (item?.[method]) operations.push({ method, path, summary: item[method].summary });
  }
}

try {
  const index = text(await browse(origin + args.index, ["--dump-dom"]));
  for (const operation of operations) {
    if (!index.includes(operation.path)) failures.push(`${args.index}: path ${operation.path} is not on the page`);
    if (operation.summary && !index.includes(squeeze(operation.summary))) {
      failures.push(`${args.index}: summary "${operation.summary}" is not on the page`);
    }
  }

  // A word of an operation's path that names no other path finds it, and hides some other entry.
  const target = operations.find((operation) => /[a-z]{3,}/i.test(operation.path)) ?? operations[0];
  if (target) {
    const words = target.path.toLowerCase().match(/[a-z]{3,}/g);
    const query = words[words.length - 1];
    const dom = await browse(`${origin}${args.search}?q=${encodeURIComponent(query)}`, ["--dump-dom"]);
    const shown = [...dom.matchAll(/<li\b([^>]*data-search-entry[^>]*)>([\s\S]*?)<\/li>/g)]
      .filter((match) => !/\bhidden\b/.test(match[1]))
      .map((match) => text(match[2]));
    if (!shown.some((entry) => entry.includes(target.path))) {
      failures.push(`${args.search}?q=${query}: the search shows no entry for ${target.path}`);
    }
    if (!/\d+ results/.test(text(dom))) failures.push(`${args.search}?q=${query}: the search did not run`);
  }

  if (args.screenshot) await browse(origin + args.index, ["--hide-scrollbars", "--window-size=1280,900", `--screenshot=${args.screenshot}`]);
} finally {
  server.close();
}

for (const failure of failures) console.log(`site-check: ${failure}`);
console.log(`site-check: ${args.index} of ${args.dist}: ${operations.length} operations, ${failures.length} failures`);
process.exit(failures.length === 0 ? 0 : 1);
