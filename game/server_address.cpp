#include "game/server_address.h"

#include <cstdlib>

#ifndef VORENN_DEFAULT_SERVER_URL
#error "VORENN_DEFAULT_SERVER_URL comes from the VORENN_SERVER_URL CMake setting"
#endif

namespace vorenn::game {

std::string ServerAddress() {
  const char* configured = std::getenv(kServerAddressVariable);
  if (configured != nullptr && configured[0] != '\0') return configured;
  return VORENN_DEFAULT_SERVER_URL;
}

}  // namespace vorenn::game
