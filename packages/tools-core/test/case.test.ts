import assert from "node:assert/strict";
import { describe, it } from "node:test";

import {
  camelCase,
  camelCaseDeep,
  kebabCase,
  kebabCaseDeep,
  pascalCase,
  pascalCaseDeep,
  snakeCase,
  snakeCaseDeep,
  type JSONValue,
} from "../src/index.js";

describe("key conversions", () => {
  it("split words the way the generator does", () => {
    assert.equal(camelCase("get-user_by id"), "getUserById");
    assert.equal(camelCase("{petId}"), "petId");
    assert.equal(camelCase("PetName"), "petName");
    assert.equal(pascalCase("pet_name"), "PetName");
    // Every capital starts a word, so acronyms break apart: the generator relies on exactly this.
    assert.equal(kebabCase("getUserByID"), "get-user-by-i-d");
    assert.equal(snakeCase("createdAt"), "created_at");
    assert.equal(snakeCase("a.b c"), "a_b_c");
  });

  it("leave letters beyond ASCII as they are", () => {
    assert.equal(camelCase("élan vital"), "élanVital");
    assert.equal(pascalCase("été"), "été");
    assert.equal(kebabCase("naïveUser"), "na-ve-user");
  });

  it("are fixed points on names already in their convention", () => {
    for (const name of ["petName", "id", "createdAt2"]) assert.equal(camelCase(name), name);
    for (const name of ["pet_name", "id", "created_at2"]) assert.equal(snakeCase(name), name);
    for (const name of ["pet-name", "created-at2"]) assert.equal(kebabCase(name), name);
    for (const name of ["PetName", "Id"]) assert.equal(pascalCase(name), name);
  });
});

describe("deep transforms", () => {
  const body: JSONValue = {
    pet_name: "Rex",
    owner_info: { first_name: "Ada", tag_list: [{ tag_name: "a_b" }, "plain_string", 3, null] },
    is_good: true,
  };

  it("convert keys at every depth and leave values alone", () => {
    assert.deepEqual(camelCaseDeep(body), {
      petName: "Rex",
      ownerInfo: { firstName: "Ada", tagList: [{ tagName: "a_b" }, "plain_string", 3, null] },
      isGood: true,
    });
    assert.deepEqual(kebabCaseDeep({ petName: [{ ownerId: 1 }] }), { "pet-name": [{ "owner-id": 1 }] });
    assert.deepEqual(pascalCaseDeep({ pet_name: { a_b: false } }), { PetName: { AB: false } });
    assert.deepEqual(snakeCaseDeep(camelCaseDeep(body)), body);
  });

  it("do not change their input", () => {
    const input: JSONValue = { some_key: { inner_key: 1 } };
    camelCaseDeep(input);
    assert.deepEqual(input, { some_key: { inner_key: 1 } });
  });

  it("pass scalars, arrays of scalars and undefined through", () => {
    assert.equal(camelCaseDeep("some_text"), "some_text");
    assert.equal(snakeCaseDeep(null), null);
    assert.deepEqual(snakeCaseDeep([1, "aB"]), [1, "aB"]);
    assert.equal(camelCaseDeep(undefined as unknown as JSONValue), undefined);
  });

  it("refuse to merge two keys into one", () => {
    assert.throws(() => camelCaseDeep({ a_b: 1, aB: 2 }), {
      message: "The keys 'a_b' and 'aB' would both become 'aB'",
    });
    assert.throws(() => snakeCaseDeep([{ nested: { x_y: 1, xY: 2 } }]), /would both become 'x_y'/);
  });

  it("turn a __proto__ key into an ordinary member", () => {
    const parsed = JSON.parse('{"__proto__": {"inner_key": 1}}') as JSONValue;
    const converted = camelCaseDeep(parsed) as Record<string, unknown>;
    assert.equal(Object.getPrototypeOf(converted), Object.prototype);
    assert.equal(JSON.stringify(converted), '{"proto":{"innerKey":1}}');
  });
});
