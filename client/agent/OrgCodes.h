// The codes of an organisation path ("总部_01|销售部_0105" gives "01_0105").
#pragma once

#include <string>
#include <string_view>

// Each segment contributes the text after its first "_" up to the next "|"; a
// segment without an underscore takes its code from the next underscore in
// the text. The codes are joined by "_".
std::string ParseOrgCodes(std::string_view text);
