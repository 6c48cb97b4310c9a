#pragma once

#include <string>

namespace rm::lo {

// The sockets an office makes in /tmp: the acceptor's pipe we name, and the
// single-instance pipe it names after its user installation (an MD5 of the
// installation URL's UTF-16 code units, each byte in hex without padding).
// An office that ends normally removes both; one that is killed leaves them.
std::string acceptPipeSocketPath(const std::string& pipeName);
std::string singleInstanceSocketPath(const std::string& installationUrl);

} // namespace rm::lo
