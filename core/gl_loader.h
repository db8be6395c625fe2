// GL entry points: resolved through the platform layer, every call followed by an error check that
// prints "ERROR <code> in <function>" to standard error.
#pragma once

// Returns false when the entry points cannot be resolved.
bool loadGlEntryPoints();
