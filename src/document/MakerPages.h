#pragma once

// Addresses of the maker's pages, in one place until the product has a site of its own.

// Names the generator in every feed; the program's version text follows the query "?v=".
inline constexpr const char* GeneratorAddress = "https://orvane.example/lite/generator?v=";
