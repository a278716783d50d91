export type { JSONArray, JSONObject, JSONPrimitive, JSONValue } from "./json.js";
export {
  camelCase,
  camelCaseDeep,
  kebabCase,
  kebabCaseDeep,
  pascalCase,
  pascalCaseDeep,
  snakeCase,
  snakeCaseDeep,
} from "./case.js";
