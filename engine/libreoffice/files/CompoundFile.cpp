#include "engine/libreoffice/files/CompoundFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>

namespace rm::lo {

bool looksLikeCompoundFile(const std::string& fileBytes)
{
    static const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    return fileBytes.size() >= 8 && fileBytes.compare(0, 8, signature, 8) == 0;
}

GObjectOwner<GsfInput> openCompoundFileStream(GsfInput* file, const std::string& streamName)
{
    quietenLibraries();
    GError* error = nullptr;
    const GObjectOwner<GsfInfile> storage(gsf_infile_msole_new(file, &error));
    if (error)
        g_error_free(error);
    if (!storage)
        return nullptr;
    // Stream names of a compound file are compared without case.
    for (int i = 0; i < gsf_infile_num_children(storage.get()); ++i) {
        const char* name = gsf_infile_name_by_index(storage.get(), i);
        if (!name || g_ascii_strcasecmp(name, streamName.c_str()) != 0)
            continue;
        GObjectOwner<GsfInput> stream(gsf_infile_child_by_index(storage.get(), i));
        // A storage of that name is no stream (the reader's streams are infiles without children).
        if (!stream || (GSF_IS_INFILE(stream.get()) && gsf_infile_num_children(GSF_INFILE(stream.get())) >= 0))
            return nullptr;
        return stream;
    }
    return nullptr;
}

} // namespace rm::lo
