// A move-only owner of one resource with one release function: the pattern
// behind every owner type of the program (page blocks, heap blocks, handles,
// GDI objects, COM pointers). `Traits` names the stored type, its empty value
// and the release call:
//
//   struct Traits {
//       using Type = ...;
//       static constexpr Type empty() noexcept;
//       static void release(Type) noexcept;  // never called with empty()
//   };
#pragma once

#include <utility>

template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Type value) noexcept : value_(value) {}
    ~UniqueResource() { reset(); }
    UniqueResource(UniqueResource&& o) noexcept : value_(o.release()) {}
    UniqueResource& operator=(UniqueResource&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::empty(); }
    // Hands the resource over; the owner is empty afterwards.
    [[nodiscard]] Type release() noexcept { return std::exchange(value_, Traits::empty()); }
    void reset(Type value = Traits::empty()) noexcept {
        Type old = std::exchange(value_, value);
        if (old != Traits::empty()) Traits::release(old);
    }
    // For functions that return the resource through an out-parameter:
    // releases what is held and gives the address to fill.
    Type* put() noexcept {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::empty();
};
