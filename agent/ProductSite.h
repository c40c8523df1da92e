#pragma once

// The product's web site is one for both programs.
#include "shared/ProductSite.h"  // IWYU pragma: export
