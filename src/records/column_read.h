// Column reading of the text of one record with a layout. A pure function on
// the text, so that it can be tested and fuzzed without files. Internal to
// the record layer (input.cpp feeds it the records of a file).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "records/input.h"

namespace records::parse {

// Each code takes exactly its w columns from the current position (columns
// past the end of the record read as blanks); nX and literal texts skip their
// columns. I, F, D fields ignore blanks and read as zero when all blank; an
// F field without a decimal point has its d digits after an implied one, a D
// field none. On Bad, *bad_field (when given) receives the field's text.
ReadStatus columns(std::string_view record, const Layout& layout, std::span<const Target> targets,
                   std::string* bad_field = nullptr);

}  // namespace records::parse
