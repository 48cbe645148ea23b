#pragma once

#include <string>

// Brings a pasted date such as 2005/1/5 or 05/01/15 into the form yyyy-mm-dd. "/" becomes "-";
// when the first three parts read as non-zero numbers, the year (a two-digit year taken as 20xx)
// gets four digits and month and day two; anything after the day is dropped. Other texts come
// back with only their slashes replaced.
std::string NormalizeDate(const std::string& text);
