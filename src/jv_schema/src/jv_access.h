#pragma once

// Small helpers over the value tree that keep the keyword code short.

#include <memory>
#include <string>
#include <string_view>

#include "zephalon/jv/json_reader.h"
#include "zephalon/jv/jv.h"

namespace zephalon::jv::schema {

inline bool isObject(JV const& v) { return v.isObject(); }
inline bool isString(JV const& v) { return v.isString(); }
inline bool isBool(JV const& v) { return v.isBoolean(); }
inline bool boolOf(JV const& v) { return v.booleanValue(); }
inline std::string_view stringOf(JV const& v) { return v.stringValue(); }
inline JV const* member(JV const& object, std::string_view key) { return object.property(key); }
inline Pos positionOf(JV const& v) { return v.pos; }
inline JV const* rootOf(JVDoc const& doc) { return doc.root(); }

// Compilation errors carry the offending value so that callers can point at it.
[[noreturn]] inline void compileError(std::string const& message, JV const& value) { throw JVError(message, &value); }

inline std::unique_ptr<JVDoc> parseJsonText(std::string_view text) { return readJsonString(text); }

}  // namespace zephalon::jv::schema
