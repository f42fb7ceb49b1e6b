#pragma once

// A vector whose copies share one buffer until one of them changes.

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

// A vector whose copies share one buffer until one of them changes.
//
// Strokes are copied whenever the published stroke list, the live stroke or
// the history changes; sharing their point and dab arrays makes those copies
// cost a reference count instead of the whole drawing. Element access is
// read-only, so a read never copies; writes go through the named mutators or
// mutableVector(), which detach a shared buffer first.
template <typename T>
class SharedVector {
public:
    // NOLINTBEGIN(readability-identifier-naming): the standard containers'
    // names, so that generic code takes a SharedVector like a vector.
    using value_type = T;
    using size_type = std::size_t;
    using const_iterator = typename std::vector<T>::const_iterator;
    using iterator = typename std::vector<T>::iterator;
    // NOLINTEND(readability-identifier-naming)

    SharedVector() = default;
    SharedVector(std::initializer_list<T> init) : data_(std::make_shared<std::vector<T>>(init)) {}
    SharedVector(std::vector<T> v) : data_(v.empty() ? nullptr : std::make_shared<std::vector<T>>(std::move(v))) {}
    template <typename It>
    SharedVector(It first, It last) : SharedVector(std::vector<T>(first, last)) {}

    SharedVector& operator=(std::initializer_list<T> init) { return *this = std::vector<T>(init); }
    SharedVector& operator=(std::vector<T> v) {
        data_ = v.empty() ? nullptr : std::make_shared<std::vector<T>>(std::move(v));
        return *this;
    }

    // ---- reading ----
    const std::vector<T>& get() const { return data_ ? *data_ : emptyVector(); }
    operator const std::vector<T>&() const { return get(); }
    size_type size() const { return data_ ? data_->size() : 0; }
    bool empty() const { return size() == 0; }
    const T& operator[](size_type i) const { return (*data_)[i]; }
    const T& at(size_type i) const { return get().at(i); }
    const T& front() const { return data_->front(); }
    const T& back() const { return data_->back(); }
    const T* data() const { return data_ ? data_->data() : nullptr; }
    const_iterator begin() const { return get().begin(); }
    const_iterator end() const { return get().end(); }
    const_iterator cbegin() const { return get().begin(); }
    const_iterator cend() const { return get().end(); }
    // Whether two copies still share their buffer.
    bool sharesWith(const SharedVector& o) const { return data_ && data_ == o.data_; }

    // ---- writing (each detaches a shared buffer first) ----
    std::vector<T>& mutableVector() {
        if (!data_) data_ = std::make_shared<std::vector<T>>();
        else if (data_.use_count() > 1) data_ = std::make_shared<std::vector<T>>(*data_);
        return *data_;
    }
    // NOLINTBEGIN(readability-identifier-naming): as above.
    void push_back(const T& v) { mutableVector().push_back(v); }
    void push_back(T&& v) { mutableVector().push_back(std::move(v)); }
    template <typename... A>
    T& emplace_back(A&&... a) {
        return mutableVector().emplace_back(std::forward<A>(a)...);
    }
    void pop_back() { mutableVector().pop_back(); }
    // NOLINTEND(readability-identifier-naming)
    void reserve(size_type n) { mutableVector().reserve(n); }
    void resize(size_type n) { mutableVector().resize(n); }
    void resize(size_type n, const T& v) { mutableVector().resize(n, v); }
    void clear() { data_.reset(); }
    template <typename... A>
    iterator insert(const_iterator pos, A&&... a) {
        const auto offset = pos - get().begin();
        auto& v = mutableVector();
        return v.insert(v.begin() + offset, std::forward<A>(a)...);
    }
    iterator insert(const_iterator pos, std::initializer_list<T> init) {
        const auto offset = pos - get().begin();
        auto& v = mutableVector();
        return v.insert(v.begin() + offset, init);
    }
    iterator erase(const_iterator first, const_iterator last) {
        const auto a = first - get().begin();
        const auto b = last - get().begin();
        auto& v = mutableVector();
        return v.erase(v.begin() + a, v.begin() + b);
    }
    iterator erase(const_iterator pos) { return erase(pos, pos + 1); }
    template <typename It>
    void assign(It first, It last) {
        *this = std::vector<T>(first, last);
    }

    friend bool operator==(const SharedVector& a, const SharedVector& b) {
        return a.data_ == b.data_ || a.get() == b.get();
    }
    friend bool operator==(const SharedVector& a, const std::vector<T>& b) { return a.get() == b; }

private:
    static const std::vector<T>& emptyVector() {
        static const std::vector<T> kEmpty;
        return kEmpty;
    }
    std::shared_ptr<std::vector<T>> data_;
};
