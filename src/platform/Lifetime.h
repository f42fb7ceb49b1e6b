#pragma once

// The one way for work scheduled for later (signal slots, main-queue
// blocks, monitors) to find out whether the object that scheduled it still
// exists, when that object is not owned through a shared_ptr: the object
// holds a Lifetime, the callbacks copy its WeakRef.

#include <memory>

namespace platform {

template <typename T>
class WeakRef {
public:
    WeakRef() = default;
    explicit WeakRef(std::weak_ptr<T*> token) : token_(std::move(token)) {}
    // The object, or null once it is gone.
    T* get() const {
        const auto p = token_.lock();
        return p ? *p : nullptr;
    }
    explicit operator bool() const { return get() != nullptr; }

private:
    std::weak_ptr<T*> token_;
};

template <typename T>
class Lifetime {
public:
    explicit Lifetime(T* owner) : token_(std::make_shared<T*>(owner)) {}
    ~Lifetime() { *token_ = nullptr; }
    Lifetime(const Lifetime&) = delete;
    Lifetime& operator=(const Lifetime&) = delete;

    WeakRef<T> ref() const { return WeakRef<T>(token_); }
    // Callbacks see the object as gone from now on (a destructor's first
    // step, before it tears down what they would touch).
    void end() { *token_ = nullptr; }

private:
    std::shared_ptr<T*> token_;
};

} // namespace platform
