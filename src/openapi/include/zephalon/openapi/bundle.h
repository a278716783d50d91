#pragma once

// One self-contained document from a document split over several files.

#include <memory>

#include "zephalon/jv/jv.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi {

// The root document with what its references reach in other files moved in: each such target becomes a component
// of the root under the name the reader gave it (the referenced name, then "_2", "_3"... where that is taken),
// references are rewritten to those components, and path items, webhooks and component entries that only pointed to
// another file hold the target itself. Everything else is copied as read, key order included. For a result read
// from one file this is a copy of its document.
std::unique_ptr<jv::JVDoc> bundleDocument(const OpenAPIReadResult& result);

}  // namespace zephalon::openapi
