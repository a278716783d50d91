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
// The same for a read result that is not needed afterwards: the values are moved out of its documents instead of
// copied, which spares allocating a second tree and freeing the first. Where a value of another file is reached
// twice (a reference into the middle of a part that is also referred to whole) the document is copied as above.
std::unique_ptr<jv::JVDoc> bundleDocument(std::unique_ptr<OpenAPIReadResult> result);

}  // namespace zephalon::openapi
