// Large rule documents made up at run time, the size of a full
// number-location table, for the scaling tests and the benchmarks.
#pragma once

#include <string>

// Segment i: seven digits from "1300000" on.
std::string SyntheticMobilSeg(int i);
// Area code i: "0" and four digits from "03000" on.
std::string SyntheticAreaCode(int i);

// A rule document with the given numbers of mobile segments and area codes,
// beside a few IP prefixes, short numbers and network numbers.
std::string SyntheticRuleDocument(int mobilSegs, int areaCodes);
