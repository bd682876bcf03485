#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <type_traits>

namespace curtis {

// A heap array of trivially copyable values with one owner. Its storage comes
// from malloc and is left uninitialised, so the system provides pages only
// when they are first written: a large buffer that is mostly unused costs
// little resident memory. Allocation never throws; it reports failure with
// errno set, so the caller can name the reason.
template <typename T> class Buffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    Buffer() = default;

    // Replaces the storage by count uninitialised values (at least one is
    // allocated, so data() is never null after success). Returns false,
    // holding nothing, when the memory cannot be obtained.
    bool allocate(std::uint64_t count) {
        data_.reset();
        size_ = 0;
        const std::uint64_t elements = count > 0 ? count : 1;
        if (elements > SIZE_MAX / sizeof(T)) {
            errno = ENOMEM;
            return false;
        }
        data_.reset(static_cast<T*>(std::malloc(static_cast<std::size_t>(elements) * sizeof(T))));
        if (!data_) {
            return false;
        }
        size_ = count;
        return true;
    }

    // Changes the number of values to count, keeping the first
    // min(count, size()) of them; the new ones are uninitialised. Returns
    // false, with errno set and the buffer as it was, when the memory cannot
    // be obtained.
    bool resize(std::uint64_t count) {
        const std::uint64_t elements = count > 0 ? count : 1;
        if (elements > SIZE_MAX / sizeof(T)) {
            errno = ENOMEM;
            return false;
        }
        void* moved = std::realloc(data_.get(), static_cast<std::size_t>(elements) * sizeof(T));
        if (moved == nullptr) {
            return false;
        }
        static_cast<void>(data_.release());
        data_.reset(static_cast<T*>(moved));
        size_ = count;
        return true;
    }

    T* data() { return data_.get(); }
    const T* data() const { return data_.get(); }
    std::uint64_t size() const { return size_; }
    T& operator[](std::uint64_t i) { return data_[i]; }
    const T& operator[](std::uint64_t i) const { return data_[i]; }

private:
    struct Release {
        void operator()(T* p) const { std::free(p); }
    };
    std::unique_ptr<T[], Release> data_;
    std::uint64_t size_ = 0;
};

} // namespace curtis
