#pragma once

#include <string_view>

namespace zephalon::jv::schema::url {

// The URL without its fragment: the document a reference points into. The URLs the engine keeps are already
// resolved, so their first "#" starts the fragment.
inline std::string_view withoutFragment(std::string_view text) { return text.substr(0, text.find('#')); }

}  // namespace zephalon::jv::schema::url
