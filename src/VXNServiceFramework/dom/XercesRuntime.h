#pragma once

// Xerces-C needs XMLPlatformUtils::Initialize() before any parser, document or writer is made.
// Initialisation is process-wide and not thread-safe, so every user goes through this guard,
// which initialises once (on the first call, from any thread) and keeps the runtime up until
// the process ends: static DOM objects may outlive main() and must not meet a terminated runtime.
namespace xercesRuntime {

// Initialises Xerces-C once per process; cheap after the first call. Throws what
// XMLPlatformUtils::Initialize throws if the runtime cannot start (then every later call retries).
void ensureInitialized();

} // namespace xercesRuntime
