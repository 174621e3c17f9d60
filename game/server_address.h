// Where the game server is: the address compiled in (the VORENN_SERVER_URL CMake setting), unless
// the environment variable VORENN_SERVER_URL names another when the program starts. The path is
// always /game/do.php.
#pragma once

#include <string>

namespace vorenn::game {

inline constexpr char kServerAddressVariable[] = "VORENN_SERVER_URL";

std::string ServerAddress();

}  // namespace vorenn::game
