// A view of a named section that another process publishes for tests (the object census,
// the brightness feed). Each such section begins with its layout's version and size, so a
// reader built against another layout sees nothing rather than wrong numbers.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "../common/UniqueHandle.h"

namespace simnb {

struct ViewUnmapper {
    void operator()(const void* view) const { UnmapViewOfFile(view); }
};

// The view keeps the section alive after its publisher has ended.
template <typename Section>
using MappedSection = std::unique_ptr<Section, ViewUnmapper>;

// Null when no section of that name exists or it is not of this layout.
template <typename Section>
MappedSection<Section> OpenMappedSection(const std::wstring& name, uint32_t version, DWORD access) {
    UniqueHandle mapping(OpenFileMappingW(access, FALSE, name.c_str()));
    if (!mapping.Valid()) return nullptr;
    MappedSection<Section> view(static_cast<Section*>(MapViewOfFile(mapping.Get(), access, 0, 0, sizeof(Section))));
    if (view && (view->version != version || view->size != sizeof(Section))) view.reset();
    return view;
}

}  // namespace simnb
