// The certificate authorities a TLS request of the internet stand-in trusts: the system's store,
// plus the authorities in the PEM file that SSL_CERT_FILE (or, failing that, CURL_CA_BUNDLE) names,
// the usual way to trust a private authority of a test or an intranet server. The file adds to the
// system's store instead of replacing it, so naming one never makes public servers untrusted. Peer
// and host-name verification are always on: nothing here, nor anywhere in the stand-in, turns them
// off.
#include <fstream>
#include <sstream>

#include "platform/stand_ins/internet_internal.h"

namespace vorenn::internet {
namespace {

std::string ReadWhole(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const char* ExtraAuthoritiesFile() {
  for (const char* name : {"SSL_CERT_FILE", "CURL_CA_BUNDLE"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return nullptr;
}

// The bundle is made again only when the variable names another file: reading the system's store
// for every request would cost more than the request.
struct TrustCache {
  std::mutex lock;
  std::string extraFile;
  std::shared_ptr<const std::string> bundle;
};
TrustCache& Cache() {
  static TrustCache* cache = new TrustCache;
  return *cache;
}

}  // namespace

std::shared_ptr<const std::string> ApplyTrust(CURL* easy) {
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  const char* extra = ExtraAuthoritiesFile();
  if (extra == nullptr) return nullptr;  // libcurl's default: the system's store

  TrustCache& cache = Cache();
  std::lock_guard lock(cache.lock);
  if (!cache.bundle || cache.extraFile != extra) {
    char* systemFile = nullptr;
    curl_easy_getinfo(easy, CURLINFO_CAINFO, &systemFile);
    std::string bundle = systemFile != nullptr ? ReadWhole(systemFile) : std::string();
    bundle += "\n";
    bundle += ReadWhole(extra);
    cache.extraFile = extra;
    cache.bundle = std::make_shared<const std::string>(std::move(bundle));
  }
  curl_blob blob{};
  blob.data = const_cast<char*>(cache.bundle->data());
  blob.len = cache.bundle->size();
  blob.flags = CURL_BLOB_NOCOPY;
  curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
  return cache.bundle;
}

}  // namespace vorenn::internet
