// Owning holder for one reference to a host object.
//
// Releases on every way out of its scope, exceptions included, and does
// nothing when the host returned no object. Holders declared later in a scope
// are released first, so declaration order states the release order.
#pragma once

#include <utility>

template <typename T>
class host_ref {
public:
    host_ref() = default;
    explicit host_ref(T* object) : object_(object) {}
    host_ref(const host_ref&) = delete;
    host_ref& operator=(const host_ref&) = delete;
    host_ref(host_ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    host_ref& operator=(host_ref&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    ~host_ref() { reset(); }

    void reset() {
        if (T* object = std::exchange(object_, nullptr)) object->Release();
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};
