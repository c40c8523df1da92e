#pragma once

// The product's web site and the pages of it that both programs open. The site lives on a reserved
// example domain until the product has one of its own; every address is built from kBaseAddress,
// so moving the site is one change here.
namespace ProductSite {

// The home page, opened by the agent's globe and the editor's "Visit our website"; it ends in "/"
// so that pages join directly.
inline constexpr const char* kBaseAddress = "https://corvane.example/";
// The folder of the update-check pages, one page per product code and version.
inline constexpr const char* kUpdateCheckFolder = "updatecheck/";
// The page on copying and passing on the program, opened from the About box's disclaimer.
inline constexpr const char* kLegalPage = "legal.htm";

}  // namespace ProductSite
