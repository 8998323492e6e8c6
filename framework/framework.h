// Start-up hooks of the framework modules, called by vgInit (and by tests that build the
// framework without the game): initial values of the module globals, and their roots.
#pragma once

// Gives every framework module global its initial value, in start-up order.
void vg_framework_InitGlobals();
// Registers the framework's collector roots in the collector's order; the game then adds
// its own. Call once per process.
void vg_framework_AddRoots();
