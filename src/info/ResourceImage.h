// PNG images from the resources, decoded into GDI+ bitmaps.
#pragma once

#include "win/UniqueHandle.h"

#include <gdiplus.h>
#include <memory>

namespace info {

// A bitmap decoded from an image resource together with the memory block it reads from:
// GDI+ decodes lazily from the stream, so the block must live exactly as long as the bitmap.
class ResourceImage {
public:
    // The image `id` of resource type `type` (for instance L"PNG"), looked for in the current
    // resource source first and then in this module; null on every failure (no such resource,
    // not an image, no memory). GDI+ must be running.
    static std::unique_ptr<ResourceImage> Load(UINT id, LPCWSTR type);

    Gdiplus::Bitmap* Bitmap() const { return m_bitmap.get(); }

private:
    ResourceImage() = default;

    win::UniqueGlobal m_memory;
    std::unique_ptr<Gdiplus::Bitmap> m_bitmap; // destroyed before the memory it reads
};

} // namespace info
