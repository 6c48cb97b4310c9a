#include "engine/libreoffice/process/OfficeSockets.h"

#include "engine/libreoffice/uno/UnoText.h"

#include <rtl/digest.h>

#include <cstdio>
#include <unistd.h>

namespace rm::lo {

namespace {

std::string socketPath(const std::string& name)
{
    return "/tmp/OSL_PIPE_" + std::to_string(getuid()) + "_" + name;
}

} // namespace

std::string acceptPipeSocketPath(const std::string& pipeName)
{
    return socketPath(pipeName);
}

std::string singleInstanceSocketPath(const std::string& installationUrl)
{
    const OUString url = toOUString(installationUrl);
    sal_uInt8 digest[RTL_DIGEST_LENGTH_MD5];
    rtl_digest_MD5(url.getStr(), sal_uInt32(url.getLength()) * sizeof(sal_Unicode), digest, sizeof digest);
    std::string hex;
    for (const sal_uInt8 byte : digest) {
        char text[3];
        std::snprintf(text, sizeof text, "%x", unsigned(byte));
        hex += text;
    }
    return socketPath("SingleOfficeIPC_" + hex);
}

} // namespace rm::lo
