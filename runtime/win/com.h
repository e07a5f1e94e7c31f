#pragma once
// COM, started on a thread at its first use there.

namespace kelvra {

// COM on the calling thread, started at its first use there (a single-threaded apartment, as the
// script control and the picture decoder want) and ended with the thread. False when COM cannot
// be had; a thread that already runs COM in another apartment keeps it.
bool UseComOnThisThread();

}  // namespace kelvra
