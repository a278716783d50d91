// A value that JSON can represent: what generated clients send and receive as request and response bodies.
export type JSONPrimitive = string | number | boolean | null;
export type JSONArray = JSONValue[];
export interface JSONObject {
  [key: string]: JSONValue;
}
export type JSONValue = JSONPrimitive | JSONArray | JSONObject;
