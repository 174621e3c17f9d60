#include "server/credentials.h"

#include <sodium.h>

#include <stdexcept>

namespace vorenn::server {

namespace {

void EnsureSodium() {
  static const int ready = sodium_init();
  if (ready < 0) throw std::runtime_error("libsodium cannot be initialised");
}

std::string Hex(const unsigned char* bytes, size_t size) {
  std::string hex(size * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), bytes, size);
  hex.pop_back();
  return hex;
}

}  // namespace

HashCost InteractiveHashCost() {
  return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

HashCost StandardHashCost() { return {2, size_t{19} << 20}; }

HashCost LightHashCost() { return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN}; }

std::string HashPassword(std::string_view password, HashCost cost) {
  EnsureSodium();
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str_alg(hash, password.data(), password.size(), cost.operations, cost.memoryBytes,
                            crypto_pwhash_ALG_ARGON2ID13) != 0) {
    throw std::runtime_error("password hashing ran out of memory");
  }
  return hash;
}

bool VerifyPassword(std::string_view storedHash, std::string_view password) {
  EnsureSodium();
  std::string hash(storedHash);
  return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

bool DearerThan(std::string_view storedHash, HashCost cost) {
  size_t at = storedHash.find("$m=");
  if (at == std::string_view::npos) return false;
  unsigned long long kib = 0;
  for (size_t i = at + 3; i < storedHash.size() && storedHash[i] >= '0' && storedHash[i] <= '9'; ++i) {
    kib = kib * 10 + static_cast<unsigned>(storedHash[i] - '0');
    if (kib > (1ull << 40)) return true;
  }
  return kib * 1024 > cost.memoryBytes;
}

std::string NewToken() {
  EnsureSodium();
  unsigned char bytes[16];
  randombytes_buf(bytes, sizeof bytes);
  return Hex(bytes, sizeof bytes);
}

std::string TokenDigest(std::string_view token) {
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(token.data()), token.size());
  return Hex(digest, sizeof digest);
}

}  // namespace vorenn::server
