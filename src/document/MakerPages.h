#pragma once

// Addresses of the maker's pages and of the feed validation service, in one place. The maker's
// pages live under a reserved example domain until the product has a site of its own.

// Names the generator in every feed; the program's version text follows the query "?v=".
inline constexpr const char* GeneratorAddress = "https://orvane.example/lite/generator?v=";
inline constexpr const char* HomePageAddress = "https://orvane.example/";
inline constexpr const char* ManualAddress = "https://orvane.example/lite/manual/";
inline constexpr const char* FullEditionAddress = "https://orvane.example/pro/";
// The feed's address follows, encoded as a query value.
inline constexpr const char* ValidatorAddress = "https://validator.w3.org/feed/check.cgi?url=";
