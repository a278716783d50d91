// Runs a generated Express server and calls it with a generated client: the server starts on a free port of
// 127.0.0.1, the client calls showPetById, and the generated handler's answer (501 with a problem) must come back as
// the client's APIClientError of kind 'logic'. So the request reached the route, and the client read the problem.
//
//     node run-check.mjs SERVER_DIRECTORY CLIENT_JS_DIRECTORY
//
// SERVER_DIRECTORY holds the built server (dist/main.js); CLIENT_JS_DIRECTORY the client compiled to ES modules,
// whose relative imports name no extension (as a bundler reads them), so a resolve hook adds ".js". Everything is
// over within 60 s, the server stopped in any case.
import assert from "node:assert/strict";
import { spawn } from "node:child_process";
import { register } from "node:module";
import path from "node:path";
import { pathToFileURL } from "node:url";

const [serverDirectory, clientDirectory] = process.argv.slice(2);
if (!serverDirectory || !clientDirectory) {
  console.error("usage: node run-check.mjs SERVER_DIRECTORY CLIENT_JS_DIRECTORY");
  process.exit(2);
}

register(
  "data:text/javascript," +
    encodeURIComponent(`
export async function resolve(specifier, context, next) {
  try {
    return await next(specifier, context);
  } catch (error) {
    if (error?.code === "ERR_MODULE_NOT_FOUND" && /^\\.{1,2}\\//.test(specifier) && !/\\.[cm]?js$/.test(specifier)) {
      return next(specifier + ".js", context);
    }
    throw error;
  }
}
`),
);

let server;
const timeout = setTimeout(() => {
  console.error("run-check: no result within 60 s");
  server?.kill("SIGKILL");
  process.exit(1);
}, 60_000);

function listening(child) {
  return new Promise((resolve, reject) => {
    let output = "";
    child.stdout.setEncoding("utf8");
    child.stdout.on("data", (chunk) => {
      output += chunk;
      const found = /Listening on (http:\/\/\S+)/.exec(output);
      if (found) resolve(found[1]);
    });
    child.on("error", reject);
    child.on("exit", (code, signal) => reject(new Error(`the server ended (${signal ?? code}) before it listened`)));
  });
}

try {
  server = spawn(process.execPath, [path.join(serverDirectory, "dist", "main.js")], {
    env: { ...process.env, HOST: "127.0.0.1", PORT: "0" },
    stdio: ["ignore", "pipe", "inherit"],
  });
  const baseUrl = await listening(server);
  assert.match(baseUrl, /^http:\/\/127\.0\.0\.1:\d+$/);

  const client = await import(pathToFileURL(path.join(clientDirectory, "index.js")).href);
  client.init({ baseUrl });
  const failure = await client.showPetById({ petId: "7" }).then(
    (answer) => assert.fail(`showPetById answered ${JSON.stringify(answer)} instead of failing`),
    (error) => error,
  );
  assert.ok(failure instanceof client.APIClientError, `not an APIClientError: ${failure}`);
  assert.equal(failure.kind, "logic", failure.message);
  assert.equal(failure.status, 501, failure.message);
  assert.equal(failure.body.status, 501);
  assert.equal(failure.body.title, "Not Implemented");
  assert.equal(failure.body.instance, "/pets/7");
  console.log(`run-check: ${failure.message}`);
} catch (error) {
  console.error(`run-check: ${error?.stack ?? error}`);
  process.exitCode = 1;
} finally {
  clearTimeout(timeout);
  server?.kill();
}
