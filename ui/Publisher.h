#pragma once

namespace lex {

// Who publishes the dictionary: the about box, the web links and the report's title band show
// it. Reserved example names and numbers: nothing real is reached.
inline constexpr const char* kPublisherBase = "http://www.kolvane.example";  // the publisher's site
inline constexpr const char* kMakerBase = "http://www.kolvane-soft.example";  // the maker's site
inline constexpr const char* kEmail = "info@kolvane.example";
inline constexpr const char* kTelephone = "0-2555-0199";

}  // namespace lex
