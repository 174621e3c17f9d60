// The flows the allocation-failure sweeps run, each inside a forked child. Each one checks, when
// it gets to its end, that it did its work and that every engine block it took was given back.
#pragma once

#include <string>

#include "tests/reliability/injection_sweep.h"

namespace vorenn::testing {

// The program's start-up on the headless backend (tables, engine initialisation, the globals, the
// window) up to the running message loop, then the window closed and the end routine run. Armed
// before anything starts.
std::string StartUpFlow(InjectionPoint& injection);

// After start-up against a fake server: account and password typed, login, entering the game, and
// 30 s of virtual time, which brings one refresh of the player's figures; then the window closed.
// Armed once the window shows.
std::string LoginFlow(InjectionPoint& injection);

// A user-information answer and a leaderboard answer parsed through the JSON module and read the
// way the game reads them. Needs no program. The module takes its memory from the C++ heap, never
// from engine blocks: sweep it with Injector::CxxHeap. A std::bad_alloc is caught at the flow's
// top; whatever the parse had built by then must be freed.
std::string JsonAnswersFlow(InjectionPoint& injection);

}  // namespace vorenn::testing
