#pragma once

// The icon and the about picture are compiled into a static library, whose resources Qt does
// not register by itself. Safe to call more than once.
void loadAppResources();
