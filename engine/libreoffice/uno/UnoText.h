#pragma once

// Conversions between our UTF-8 texts and paths and the office's strings and URLs.

#include <rtl/ustring.hxx>

#include <string>

namespace rm::lo {

using rtl::OString;
using rtl::OUString;

OUString toOUString(const std::string& utf8);
std::string toUtf8(const OUString& text);

// An absolute path (relative ones are taken from the current folder) as a file:// URL.
OUString fileUrlOf(const std::string& path);

} // namespace rm::lo
