#pragma once

// What the file readers share of libgsf and libxml2: an input read on demand
// from a descriptor we opened, and the libraries kept quiet.

#include <gsf/gsf-input.h>

#include <memory>

namespace rm::lo {

struct GObjectUnref {
    void operator()(void* object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <class T>
using GObjectOwner = std::unique_ptr<T, GObjectUnref>;

// The file open at `fd` (a regular file), read only where asked, never whole:
// a file that claims a gigabyte costs what its header and the parts asked for
// cost. The descriptor is duplicated (close-on-exec); `fd` stays ours. Null when that fails.
GObjectOwner<GsfInput> fileInput(int fd);

// GLib's and libgsf's warnings ("This OLE2 file is invalid…") are dropped:
// the program's stderr and windows carry its own messages only; what these
// libraries find wrong shows in what the readers return. libxml2 is kept quiet
// per parse (its error handlers are per thread). Safe to call again.
void quietenLibraries();

} // namespace rm::lo
