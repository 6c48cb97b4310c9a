#include "engine/libreoffice/files/CompoundFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>

#include <memory>

namespace rm::lo {

namespace {

struct Unref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <class T>
using Owned = std::unique_ptr<T, Unref>;

} // namespace

bool looksLikeCompoundFile(const std::string& fileBytes)
{
    static const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    return fileBytes.size() >= 8 && fileBytes.compare(0, 8, signature, 8) == 0;
}

std::optional<std::string> readCompoundFileStream(const std::string& fileBytes, const std::string& streamName)
{
    if (!looksLikeCompoundFile(fileBytes))
        return std::nullopt;
    const Owned<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(fileBytes.data()),
                                                     gsf_off_t(fileBytes.size()), FALSE));
    GError* error = nullptr;
    const Owned<GsfInfile> storage(gsf_infile_msole_new(input.get(), &error));
    if (error)
        g_error_free(error);
    if (!storage)
        return std::nullopt;
    // Stream names of a compound file are compared without case.
    for (int i = 0; i < gsf_infile_num_children(storage.get()); ++i) {
        const char* name = gsf_infile_name_by_index(storage.get(), i);
        if (!name || g_ascii_strcasecmp(name, streamName.c_str()) != 0)
            continue;
        const Owned<GsfInput> stream(gsf_infile_child_by_index(storage.get(), i));
        // A storage of that name is no stream (the reader's streams are infiles without children).
        if (!stream || (GSF_IS_INFILE(stream.get()) && gsf_infile_num_children(GSF_INFILE(stream.get())) >= 0))
            return std::nullopt;
        std::string content(size_t(gsf_input_size(stream.get())), '\0');
        if (!content.empty() &&
            !gsf_input_read(stream.get(), content.size(), reinterpret_cast<guint8*>(content.data())))
            return std::nullopt;
        return content;
    }
    return std::nullopt;
}

} // namespace rm::lo
