#pragma once
// A counted reference to a COM or Windows Runtime object: Release in one place.
#include <unknwn.h>
#include <utility>

namespace tapdeck {

template <typename T>
class com_ptr {
public:
    com_ptr() noexcept = default;
    com_ptr(std::nullptr_t) noexcept {}
    // Adopts a reference the caller already holds.
    static com_ptr attach(T* raw) noexcept
    {
        com_ptr p;
        p.ptr_ = raw;
        return p;
    }
    // Takes a reference of its own to an object the caller only lends.
    static com_ptr copy(T* raw) noexcept
    {
        if (raw) raw->AddRef();
        return attach(raw);
    }
    com_ptr(const com_ptr& other) noexcept : ptr_(other.ptr_)
    {
        if (ptr_) ptr_->AddRef();
    }
    com_ptr(com_ptr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    com_ptr& operator=(com_ptr other) noexcept
    {
        std::swap(ptr_, other.ptr_);
        return *this;
    }
    ~com_ptr() { reset(); }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

    void reset() noexcept
    {
        if (T* old = std::exchange(ptr_, nullptr)) old->Release();
    }
    T* detach() noexcept { return std::exchange(ptr_, nullptr); }
    T** put() noexcept
    {
        reset();
        return &ptr_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    template <typename U>
    HRESULT as(REFIID iid, com_ptr<U>& out) const noexcept
    {
        return ptr_ ? ptr_->QueryInterface(iid, out.put_void()) : E_POINTER;
    }

private:
    T* ptr_ = nullptr;
};

}  // namespace tapdeck
