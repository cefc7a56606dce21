#pragma once

// Creates the process's QCoreApplication once if none exists yet, for tests that need event
// delivery or sockets; safe to call from every test.
void ensureCoreApplication();
