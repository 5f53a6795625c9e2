// Marks what the shared library exports. The library is built with hidden
// visibility, so that only its public interface is visible to programs that
// link it; everything else stays private to it.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define ORRERY_API __attribute__((visibility("default")))
#else
#define ORRERY_API
#endif
