#include "engine/libreoffice/uno/UnoText.h"

#include "engine/files/FileSystem.h"

#include <osl/file.hxx>


namespace rm::lo {

OUString toOUString(const std::string& utf8)
{
    return OStringToOUString(OString(utf8.data(), static_cast<sal_Int32>(utf8.size())), RTL_TEXTENCODING_UTF8);
}

std::string toUtf8(const OUString& text)
{
    const OString bytes = OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(bytes.getStr(), static_cast<size_t>(bytes.getLength()));
}

OUString fileUrlOf(const std::string& path)
{
    OUString url;
    osl::FileBase::getFileURLFromSystemPath(toOUString(absolutePath(path)), url);
    return url;
}

} // namespace rm::lo
