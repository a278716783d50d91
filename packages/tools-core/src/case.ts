// Key-case conversions for JSON bodies. The word rules are those of the zephalon code generator, which picks the
// transform for a request body only when every property name the document declares for it stays unchanged; so the
// two must agree character for character. Only ASCII letters and digits count as letters and digits.

import type { JSONObject, JSONValue } from "./json.js";

const isSeparator = (c: string): boolean =>
  c === " " || c === "-" || c === "/" || c === "_" || c === "{" || c === "}";
const isUpper = (c: string): boolean => c >= "A" && c <= "Z";
const isLower = (c: string): boolean => c >= "a" && c <= "z";
const isDigit = (c: string): boolean => c >= "0" && c <= "9";
const isAlnum = (c: string): boolean => isUpper(c) || isLower(c) || isDigit(c);
// Letters beyond ASCII keep their case ("É" stays "É"), as in the generator.
const asciiLower = (c: string): string => (isUpper(c) ? c.toLowerCase() : c);
const asciiUpper = (c: string): string => (isLower(c) ? c.toUpperCase() : c);

// Words split at " ", "-", "/", "_", "{" and "}"; the first word starts in lower case, later words in upper case,
// every other character keeps its case: "get-user_by id" -> "getUserById".
export function camelCase(text: string): string {
  let out = "";
  let wordStart = true;
  for (const c of text) {
    if (isSeparator(c)) {
      wordStart = true;
      continue;
    }
    if (wordStart) {
      out += out === "" ? asciiLower(c) : asciiUpper(c);
      wordStart = false;
    } else {
      out += c;
    }
  }
  return out;
}

// camelCase with the first character in upper case.
export function pascalCase(text: string): string {
  const out = camelCase(text);
  return out === "" ? out : asciiUpper(out[0]) + out.slice(1);
}

// A word starts at any letter or digit and runs on through lower-case letters and digits; everything else
// separates words and is dropped.
function kebabWords(text: string): string[] {
  const words: string[] = [];
  let inWord = false;
  for (const c of text) {
    if (!isAlnum(c)) {
      inWord = false;
      continue;
    }
    if (!inWord || isUpper(c)) {
      words.push("");
      inWord = true;
    }
    words[words.length - 1] += asciiLower(c);
  }
  return words;
}

// "getUserById" -> "get-user-by-id"
export function kebabCase(text: string): string {
  return kebabWords(text).join("-");
}

// "getUserById" -> "get_user_by_id"
export function snakeCase(text: string): string {
  return kebabWords(text).join("_");
}

function transformKeys(value: JSONValue, convert: (key: string) => string): JSONValue {
  if (Array.isArray(value)) return value.map((item) => transformKeys(item, convert));
  if (value === null || typeof value !== "object") return value;
  const out: JSONObject = {};
  const sources = new Map<string, string>();
  for (const key of Object.keys(value)) {
    const converted = convert(key);
    const earlier = sources.get(converted);
    // Two members that meet under one name would lose one of their values without a trace.
    if (earlier !== undefined) {
      throw new Error(`The keys '${earlier}' and '${key}' would both become '${converted}'`);
    }
    sources.set(converted, key);
    // No conversion can yield "__proto__" (none keeps a leading "_"), so assignment adds a member.
    out[converted] = transformKeys(value[key], convert);
  }
  return out;
}

// Copies of `value` whose object keys, at every depth, are converted; values other than keys stay as they are.
// A value that is not an object or an array (undefined included) comes back unchanged. Raises an Error when two keys
// of one object would convert to the same key.
export function camelCaseDeep(value: JSONValue): JSONValue {
  return transformKeys(value, camelCase);
}

export function pascalCaseDeep(value: JSONValue): JSONValue {
  return transformKeys(value, pascalCase);
}

export function kebabCaseDeep(value: JSONValue): JSONValue {
  return transformKeys(value, kebabCase);
}

export function snakeCaseDeep(value: JSONValue): JSONValue {
  return transformKeys(value, snakeCase);
}
