#pragma once

// Happens-before edges that ThreadSanitizer cannot see because they pass through Qt's own,
// uninstrumented synchronisation (posted events). No effect in other builds.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#define VELM_TSAN_ACQUIRE(address) __tsan_acquire(address)
#define VELM_TSAN_RELEASE(address) __tsan_release(address)
#else
#define VELM_TSAN_ACQUIRE(address) static_cast<void>(address)
#define VELM_TSAN_RELEASE(address) static_cast<void>(address)
#endif
