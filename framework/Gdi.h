// Owning wrappers of GDI objects: the handle is deleted with the wrapper.
#pragma once
#include <windows.h>

template <class Handle>
class CGdiObject {
public:
    CGdiObject() = default;
    ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    Handle GetSafeHandle() const { return m_handle; }
    operator Handle() const { return m_handle; }
    bool DeleteObject() {
        if (m_handle == nullptr) return false;
        ::DeleteObject(m_handle);
        m_handle = nullptr;
        return true;
    }
    // Gives up ownership: the handle then lives until the process ends.
    Handle Detach() {
        Handle h = m_handle;
        m_handle = nullptr;
        return h;
    }

protected:
    bool Own(Handle h) {
        DeleteObject();
        m_handle = h;
        return h != nullptr;
    }
    Handle m_handle = nullptr;
};

class CBrush : public CGdiObject<HBRUSH> {
public:
    bool CreateSolidBrush(COLORREF colour) { return Own(::CreateSolidBrush(colour)); }
};
