#pragma once

// Xalan-C needs XalanTransformer::initialize() once per process before any transformer is made
// (after Xerces' own platform start, which the DOM helpers do), and terminate() once at the end.
// Both are process-wide and not thread-safe, so every user goes through this guard.
namespace xalanRuntime {

// Starts Xerces (through the DOM helpers) and Xalan once; cheap after the first call. Xalan is
// terminated when the process ends.
void ensureInitialized();

} // namespace xalanRuntime
