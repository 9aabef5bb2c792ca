#pragma once

// Values of the build: where support mail goes and the product's web page.
inline constexpr const char *SupportMailAddress = "support@brindlewave.org";
inline constexpr const char *VendorWebPage = "https://brindlewave.org/";
inline constexpr const char *ProductTitle = "Brindlewave";
