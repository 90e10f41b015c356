#pragma once
// The editor's type information lives in the editor library, which core never
// links; the sanitizer's dynamic-type check on calls into the editor would need it.
// Functions of core that call the editor carry this attribute.
#if defined(__clang__) || (defined(__GNUC__) && __GNUC__ >= 8)
#define QUORVANE_NO_VPTR_CHECK __attribute__((no_sanitize("vptr")))
#else
#define QUORVANE_NO_VPTR_CHECK
#endif
