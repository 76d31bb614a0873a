#pragma once
#include <string>
#include <string_view>

namespace dw::server {

// The SHA-256 of `bytes` in lower-case hex (OpenSSL's libcrypto).
std::string Sha256Hex(std::string_view bytes);

}  // namespace dw::server
