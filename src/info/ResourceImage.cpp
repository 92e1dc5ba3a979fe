// PNG images from the resources, decoded into GDI+ bitmaps.
#include "info/ResourceImage.h"

#include "win/ResourceModule.h"

#include <cstring>
#include <wrl/client.h>

namespace info {

std::unique_ptr<ResourceImage> ResourceImage::Load(UINT id, LPCWSTR type) {
    LPCWSTR name = MAKEINTRESOURCEW(id);
    HINSTANCE module = win::FindResourceHandle(name, type);
    if (!module)
        return nullptr;
    HRSRC resource = ::FindResourceW(module, name, type);
    const DWORD size = resource ? ::SizeofResource(module, resource) : 0;
    if (size == 0)
        return nullptr;
    const void* bytes = ::LockResource(::LoadResource(module, resource));
    if (!bytes)
        return nullptr;

    std::unique_ptr<ResourceImage> image(new ResourceImage);
    image->m_memory.reset(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!image->m_memory)
        return nullptr;
    void* block = ::GlobalLock(image->m_memory.get());
    if (!block)
        return nullptr;
    std::memcpy(block, bytes, size);
    ::GlobalUnlock(image->m_memory.get());

    Microsoft::WRL::ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(image->m_memory.get(), FALSE, &stream)))
        return nullptr;
    image->m_bitmap.reset(new Gdiplus::Bitmap(stream.Get(), FALSE));
    if (!image->m_bitmap || image->m_bitmap->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return image;
}

} // namespace info
