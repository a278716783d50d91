// The fixed files of the TypeScript client, as the generated project holds them.

#include "client_parts.h"

namespace zephalon::openapi_generator::client_fetch {

std::string_view utilsText() {
    return R"ts(import type { JSONValue } from "@quorvi/zephalon-tools-core";

import { formatParam } from "./formatters";

// What went wrong: 'config' when the client is not set up to make the call (init not called, an invalid base URL or
// cookie name), 'network' when no answer arrived, 'logic' when the server answered with an error or with a body the
// client cannot use, or when an argument is missing.
export type APIClientErrorKind = 'config' | 'network' | 'logic';

export class APIClientError extends Error {
  readonly kind: APIClientErrorKind;
  // The HTTP status of the answer, when one arrived.
  readonly status: number | undefined;
  // The body of the answer: its JSON value when it was JSON, else its text.
  readonly body: JSONValue | string | undefined;

  constructor(
    kind: APIClientErrorKind,
    message: string,
    details: { status?: number; body?: JSONValue | string; cause?: unknown } = {},
  ) {
    super(message, { cause: details.cause });
    this.name = 'APIClientError';
    this.kind = kind;
    this.status = details.status;
    this.body = details.body;
  }
}

export interface ClientConfig {
  // Where the API is served ("https://api.example.com/v1"); the operation paths are appended to its path.
  baseUrl: string;
  // Sent as "Authorization: Bearer <token>" with every call of an operation that requires authorisation.
  token?: string;
  // Sent with every call, unless the call sets the same header.
  headers?: Record<string, string>;
  // The fetch to call; the global one by default.
  fetch?: typeof fetch;
}

// What a single call may add: headers, query parameters, an abort signal, the credentials mode.
export interface ExtraCallParams {
  headers?: Record<string, string>;
  query?: Record<string, unknown>;
  signal?: AbortSignal;
  credentials?: RequestCredentials;
}

export const COMMON_HEADERS: Readonly<Record<string, string>> = Object.freeze({
  Accept: 'application/json, */*;q=0.5',
});

interface ClientState {
  baseUrl: URL;
  token: string | undefined;
  authCookie: string | undefined;
  headers: Record<string, string>;
  fetch: typeof fetch | undefined;
}

let state: ClientState | undefined;

// Sets the client up; call it before any action (again to change the settings).
export function init(config: ClientConfig): void {
  let baseUrl: URL;
  try {
    baseUrl = new URL(config.baseUrl);
  } catch (cause) {
    throw new APIClientError('config', `Invalid base URL: ${config.baseUrl}`, { cause });
  }
  if (baseUrl.protocol !== 'http:' && baseUrl.protocol !== 'https:') {
    throw new APIClientError('config', `The base URL must use http or https: ${config.baseUrl}`);
  }
  state = {
    baseUrl,
    token: config.token,
    authCookie: undefined,
    headers: { ...config.headers },
    fetch: config.fetch,
  };
}

function current(): ClientState {
  if (state === undefined) {
    throw new APIClientError('config', 'The client is not set up: call init({ baseUrl }) first');
  }
  return state;
}

// The URL of an operation: its path template with every "{name}" replaced by the encoded value of that path
// parameter, appended to the base URL's path.
export function makeUrl(path: string, pathParams: Record<string, unknown> = {}): URL {
  const { baseUrl } = current();
  const filled = path.replace(/\{([^{}]*)\}/g, (_placeholder: string, name: string) => {
    const value = Object.prototype.hasOwnProperty.call(pathParams, name) ? pathParams[name] : undefined;
    if (value === undefined || value === null) {
      throw new APIClientError('logic', `No value for the path parameter '${name}' of ${path}`);
    }
    return encodeURIComponent(formatParam(value));
  });
  const url = new URL(baseUrl.href);
  url.pathname = url.pathname.replace(/\/+$/, '') + filled;
  return url;
}

// A cookie sent with every call of an operation that requires authorisation, where the runtime lets the client set
// the Cookie header (browsers send their own cookies instead).
export function setAuthCookie(name: string, value: string): void {
  const client = current();
  if (!/^[!#$%&'*+\-.^_`|~0-9A-Za-z]+$/.test(name)) {
    throw new APIClientError('config', `Invalid cookie name: ${name}`);
  }
  client.authCookie = `${name}=${encodeURIComponent(value)}`;
}

// Adds the credentials that init and setAuthCookie configured.
export function authorizeRequest(init: RequestInit): void {
  const client = current();
  const headers = new Headers(init.headers);
  if (client.token !== undefined) headers.set('Authorization', `Bearer ${client.token}`);
  if (client.authCookie !== undefined) headers.append('Cookie', client.authCookie);
  init.headers = headers;
}

// Adds the configured headers (where the call sets none of the same name) and what the caller passed for this call.
export function applyExtraParams(url: URL, init: RequestInit, extraParams?: ExtraCallParams): void {
  const client = current();
  const headers = new Headers(init.headers);
  for (const [name, value] of Object.entries(client.headers)) {
    if (!headers.has(name)) headers.set(name, value);
  }
  if (extraParams !== undefined) {
    for (const [name, value] of Object.entries(extraParams.headers ?? {})) headers.set(name, value);
    for (const [name, value] of Object.entries(extraParams.query ?? {})) addQueryParam(url, name, value);
    if (extraParams.signal !== undefined) init.signal = extraParams.signal;
    if (extraParams.credentials !== undefined) init.credentials = extraParams.credentials;
  }
  init.headers = headers;
}

// How a query parameter's arrays and objects are written: 'form' (the default: one parameter per element, one per
// member of an object), 'formNoExplode' (elements, or names and values, joined by ","), 'spaceDelimited' and
// 'pipeDelimited' (array elements joined by " " or "|"), 'deepObject' (one "name[member]" per member).
export type QueryStyle = 'form' | 'formNoExplode' | 'spaceDelimited' | 'pipeDelimited' | 'deepObject';

// Appends a query parameter; undefined and null add nothing.
export function addQueryParam(url: URL, name: string, value: unknown, style: QueryStyle = 'form'): void {
  if (value === undefined || value === null) return;
  if (Array.isArray(value)) {
    const items = value.filter((item) => item !== undefined && item !== null).map(formatParam);
    if (style === 'form' || style === 'deepObject') {
      for (const item of items) url.searchParams.append(name, item);
    } else {
      const separator = style === 'spaceDelimited' ? ' ' : style === 'pipeDelimited' ? '|' : ',';
      url.searchParams.append(name, items.join(separator));
    }
    return;
  }
  if (typeof value === 'object' && !(value instanceof Date)) {
    const members = Object.entries(value).filter(([, member]) => member !== undefined && member !== null);
    if (style === 'deepObject') {
      for (const [key, member] of members) url.searchParams.append(`${name}[${key}]`, formatParam(member));
    } else if (style === 'form') {
      for (const [key, member] of members) url.searchParams.append(key, formatParam(member));
    } else {
      url.searchParams.append(name, members.flatMap(([key, member]) => [key, formatParam(member)]).join(','));
    }
    return;
  }
  url.searchParams.append(name, formatParam(value));
}

function describe(cause: unknown): string {
  return cause instanceof Error ? cause.message : String(cause);
}

function isJson(contentType: string | null): boolean {
  return contentType !== null && /^application\/([^;\s]+\+)?json\s*(;|$)/i.test(contentType);
}

async function send(url: URL, init: RequestInit): Promise<Response> {
  const client = current();
  const call = client.fetch ?? globalThis.fetch;
  try {
    return await call(url, init);
  } catch (cause) {
    throw new APIClientError('network', `${init.method ?? 'GET'} ${url.href} failed: ${describe(cause)}`, { cause });
  }
}

async function readText(url: URL, init: RequestInit, response: Response): Promise<string> {
  try {
    return await response.text();
  } catch (cause) {
    throw new APIClientError('network', `${init.method ?? 'GET'} ${url.href}: the answer broke off: ${describe(cause)}`, {
      status: response.status,
      cause,
    });
  }
}

// Calls the operation; an answer with a status other than 2xx raises an APIClientError of kind 'logic' that holds
// the status and the body (a problem description's title and detail are in its message).
export async function callApi(url: URL, init: RequestInit): Promise<Response> {
  const response = await send(url, init);
  if (response.ok) return response;
  const text = await readText(url, init, response);
  let body: JSONValue | string = text;
  let detail = '';
  if (isJson(response.headers.get('Content-Type'))) {
    try {
      body = JSON.parse(text) as JSONValue;
    } catch {
      body = text;
    }
    if (typeof body === 'object' && body !== null && !Array.isArray(body)) {
      const parts = [body['title'], body['detail']].filter((part): part is string => typeof part === 'string');
      if (parts.length > 0) detail = `: ${parts.join(': ')}`;
    }
  }
  const status = `${response.status}${response.statusText ? ` ${response.statusText}` : ''}`;
  throw new APIClientError('logic', `${init.method ?? 'GET'} ${url.href} answered ${status}${detail}`, {
    status: response.status,
    body,
  });
}

// callApi for an operation that answers JSON: the parsed body.
export async function callJsonApi<T>(url: URL, init: RequestInit): Promise<T> {
  const response = await callApi(url, init);
  const text = await readText(url, init, response);
  try {
    return JSON.parse(text) as T;
  } catch (cause) {
    throw new APIClientError('logic', `${init.method ?? 'GET'} ${url.href} answered ${response.status} without a JSON body`, {
      status: response.status,
      body: text,
      cause,
    });
  }
}
)ts";
}

std::string_view formattersText() {
    return R"ts(// How parameter values are written into paths, query strings and headers.

// Dates as ISO 8601 texts, objects as JSON, everything else as its string.
export function formatParam(value: unknown): string {
  if (value instanceof Date) return value.toISOString();
  if (typeof value === 'object' && value !== null) return JSON.stringify(value);
  return String(value);
}

// A date as "YYYY-MM-DD" (in UTC), for parameters of the format "date".
export function formatDate(value: Date): string {
  return value.toISOString().slice(0, 10);
}
)ts";
}

}  // namespace zephalon::openapi_generator::client_fetch
