#include "engine/files/OutputPath.h"

#include "engine/ErrorTexts.h"

namespace rm {

OutputPathParts splitOutputPath(const std::string& outputPath)
{
    const auto slash = outputPath.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = outputPath.substr(nameStart);
    if (name.empty() || name == "." || name == "..")
        throw ErrorText::outputPathWithoutFileName(outputPath);

    OutputPathParts parts;
    parts.folder = outputPath.substr(0, nameStart);
    const auto dot = name.rfind('.');
    parts.baseName = dot == std::string::npos ? name : name.substr(0, dot);
    parts.extension = dot == std::string::npos ? std::string() : name.substr(dot);
    return parts;
}

} // namespace rm
