// Passwords and sign-in tokens. Passwords are kept only as argon2id hashes; a token is 128 random
// bits written as 32 lower-case hexadecimal digits, and only its SHA-256 digest is stored, so a copy
// of the database signs nobody in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorenn::server {

// argon2id work factors. Verification reads them back from the stored hash, so hashes made with
// different costs stay valid.
struct HashCost {
  unsigned long long operations;
  size_t memoryBytes;
};
// argon2id with 19 MiB, 2 passes, 1 lane: the least that OWASP's password storage advice accepts,
// chosen so that a few hashes at once fit a small machine. Hashes made earlier with libsodium's
// interactive limits (64 MiB, 2 passes) still verify, at their own cost.
HashCost StandardHashCost();
HashCost InteractiveHashCost();  // libsodium's interactive limits
HashCost LightHashCost();        // the smallest allowed limits: for tests only

// Throws std::runtime_error when hashing fails (out of memory).
std::string HashPassword(std::string_view password, HashCost cost);
// False for a wrong password and for a malformed hash.
bool VerifyPassword(std::string_view storedHash, std::string_view password);
// True when verifying the stored hash takes more memory than `cost` would (its parameters are read
// from the hash, "$argon2id$v=19$m=KIB,t=..,p=..$...").
bool DearerThan(std::string_view storedHash, HashCost cost);

std::string NewToken();
// Lower-case hexadecimal SHA-256 of the token's bytes.
std::string TokenDigest(std::string_view token);

}  // namespace vorenn::server
