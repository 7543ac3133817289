#pragma once

#include <string>
#include <string_view>

namespace calvorn::shell {

// The text of a translated format with one integer: the first "%d" becomes `value`; every
// other character, other '%' sequences included, stays as it is. A translation can therefore
// never make the program read an argument it was not given.
std::string FormatCount(std::string_view format, long long value);

}  // namespace calvorn::shell
