// The files of the Express server that do not depend on the document, as the generated project holds them.

#include "express_parts.h"

namespace zephalon::openapi_generator::server_express {

std::string_view routingText() {
    return R"ts(import { Router } from "express";
import type { RequestHandler } from "express";

// The methods of the document's operations, as Express names its routing functions.
export type Method = "get" | "put" | "post" | "delete" | "options" | "head" | "patch" | "trace";

export interface Route {
  readonly method: Method;
  // The path as the router matches it ("/pets/:petId").
  readonly path: string;
  readonly handler: RequestHandler;
}

// A route to a handler. The handler's own types say which path parameters and which body it gets: the router fills
// them in from the path and the body parser, so they are taken as they are here.
export function route<P, ResBody, ReqBody>(
  method: Method,
  path: string,
  handler: RequestHandler<P, ResBody, ReqBody>,
): Route {
  return { method, path, handler: handler as unknown as RequestHandler };
}

// A router of routes, tried in the order given. Paths are case-sensitive, as they are in the document.
export function routerOf(routes: Iterable<Route>): Router {
  const router = Router({ caseSensitive: true });
  for (const { method, path, handler } of routes) router[method](path, handler);
  return router;
}
)ts";
}

std::string_view problemText() {
    return R"ts(import type { Request, Response } from "express";

// An answer that explains an error (application/problem+json).
export interface Problem {
  type?: string;
  title: string;
  status: number;
  detail?: string;
  instance?: string;
  [member: string]: unknown;
}

export function sendProblem(res: Response, problem: Problem): void {
  res.status(problem.status).type("application/problem+json").send(JSON.stringify(problem));
}

// What a handler answers until it is implemented.
export function notImplemented(req: Pick<Request, "method" | "path" | "originalUrl">, res: Response): void {
  sendProblem(res, {
    type: "about:blank",
    title: "Not Implemented",
    status: 501,
    detail: `${req.method} ${req.path} is not implemented yet`,
    instance: req.originalUrl,
  });
}
)ts";
}

std::string_view appText() {
    return R"ts(import { STATUS_CODES } from "node:http";

import express from "express";
import type { Express, NextFunction, Request, Response } from "express";

import { routes } from "./modules/index.js";
import { sendProblem } from "./problem.js";
import { routerOf } from "./routing.js";

// Errors of the body parser carry the status they stand for (400, 413, 415); anything else is the server's fault.
function statusOf(error: unknown): number {
  if (typeof error === "object" && error !== null && "status" in error) {
    const status = (error as { status: unknown }).status;
    if (typeof status === "number" && Number.isInteger(status) && status >= 400 && status < 600) return status;
  }
  return 500;
}

// The application: parses JSON bodies, routes the document's operations, and answers what no route takes, and
// every error, with a problem.
export function createApp(): Express {
  const app = express();
  app.disable("x-powered-by");
  app.use(express.json({ type: ["application/json", "application/*+json"] }));
  app.use(routerOf(routes));
  app.use((req: Request, res: Response) => {
    sendProblem(res, {
      type: "about:blank",
      title: "Not Found",
      status: 404,
      detail: `No operation answers ${req.method} ${req.path}`,
    });
  });
  app.use((error: unknown, _req: Request, res: Response, next: NextFunction) => {
    if (res.headersSent) {
      next(error);
      return;
    }
    const status = statusOf(error);
    // What the client did wrong is told; what went wrong inside stays in the server.
    const detail = status < 500 && error instanceof Error ? error.message : undefined;
    sendProblem(res, { type: "about:blank", title: STATUS_CODES[status] ?? "Error", status, detail });
  });
  return app;
}

export const app: Express = createApp();
)ts";
}

std::string_view serverText() {
    return R"ts(import type { Server } from "node:http";
import type { AddressInfo } from "node:net";

import { app } from "./app.js";

export interface ServerOptions {
  // The address to listen on: 127.0.0.1 unless given, so that a server still being written is not reachable from
  // other machines.
  host?: string;
  // 3000 unless given; 0 takes a free port.
  port?: number;
}

// Starts listening; resolves with the server once the port is bound.
export function startServer(options: ServerOptions = {}): Promise<Server> {
  const { host = "127.0.0.1", port = 3000 } = options;
  return new Promise((resolve, reject) => {
    const server = app.listen(port, host, (error?: Error) => {
      if (error) {
        reject(error);
      } else {
        resolve(server);
      }
    });
  });
}

// The URL a started server answers at.
export function serverUrl(server: Server): string {
  const address = server.address() as AddressInfo;
  const host = address.family === "IPv6" ? `[${address.address}]` : address.address;
  return `http://${host}:${address.port}`;
}
)ts";
}

std::string_view mainText() {
    return R"ts(import { serverUrl, startServer } from "./server.js";

// HOST and PORT say where to listen.
const port = Number(process.env.PORT || "3000");
if (!Number.isInteger(port) || port < 0 || port > 65535) {
  console.error(`PORT must be a port number, not ${process.env.PORT}`);
  process.exit(1);
}
const server = await startServer({ host: process.env.HOST || undefined, port });
console.log(`Listening on ${serverUrl(server)}`);

// A signal stops new connections; the process ends when the open ones are done.
for (const signal of ["SIGINT", "SIGTERM"] as const) {
  process.once(signal, () => {
    server.close();
  });
}
)ts";
}

std::string_view tsConfigText() {
    return R"json({
  "compilerOptions": {
    "target": "ES2022",
    "module": "NodeNext",
    "moduleResolution": "NodeNext",
    "lib": ["ES2022"],
    "types": ["node"],
    "strict": true,
    "noImplicitReturns": true,
    "noFallthroughCasesInSwitch": true,
    "forceConsistentCasingInFileNames": true,
    "skipLibCheck": true,
    "sourceMap": true,
    "rootDir": "src",
    "outDir": "dist"
  },
  "include": ["src"]
}
)json";
}

}  // namespace zephalon::openapi_generator::server_express
