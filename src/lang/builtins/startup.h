#pragma once
// The language's part of the process start-up: the built-ins registered with the executor,
// seeding, formats, scratch buffers and tables, in the order the application's main() runs
// them. It lives with the bindings because it wires every library below them together. The
// GUI application and pravella-calc both call it once before anything runs a program.

// Returns 1, or -1 when the path buffers cannot be set up (main() then returns -1). When the
// scratch buffers or the tables cannot be had, it still returns 1 but every run refuses to
// start (vkTablesReady() is false).
int vkStartUp();
