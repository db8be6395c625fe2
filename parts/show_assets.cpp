// Owns the record of the loaded content the parts draw with; the loading sequence fills it.
#include "parts/show_assets.h"

ShowAssets showAssets;
