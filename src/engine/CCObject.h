// Intrusive reference counting for engine objects, and Ref<T>, the holder
// through which every owner keeps them.
//
// A new object starts with a count of 0; the first Ref that takes it makes
// it 1, and the last Ref to let go deletes it. So factories simply return a
// Ref, and there is no autorelease pool. The count is not atomic: engine
// objects live on the main thread only.
//
// Do not wrap `this` in a Ref inside a constructor: the count would drop back
// to 0 when that Ref dies and delete the half-built object.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

class CCObject {
public:
    CCObject() = default;
    CCObject(const CCObject&) = delete;
    CCObject& operator=(const CCObject&) = delete;
    virtual ~CCObject() = default;

    void retain() { ++refCount_; }
    void release() {
        if (--refCount_ == 0) delete this;
    }
    int retainCount() const { return refCount_; }

private:
    int refCount_ = 0;
};

template <class T>
class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    Ref(T* p) : p_(p) {
        if (p_) p_->retain();
    }
    Ref(const Ref& o) : Ref(o.p_) {}
    Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U>
        requires std::is_convertible_v<U*, T*>
    Ref(const Ref<U>& o) : Ref(o.get()) {}
    template <class U>
        requires std::is_convertible_v<U*, T*>
    Ref(Ref<U>&& o) noexcept : p_(o.detach()) {}
    ~Ref() {
        if (p_) p_->release();
    }

    Ref& operator=(const Ref& o) {
        reset(o.p_);
        return *this;
    }
    Ref& operator=(Ref&& o) noexcept {
        if (this != &o) {
            T* old = std::exchange(p_, std::exchange(o.p_, nullptr));
            if (old) old->release();
        }
        return *this;
    }
    template <class U>
        requires std::is_convertible_v<U*, T*>
    Ref& operator=(const Ref<U>& o) {
        reset(o.get());
        return *this;
    }
    template <class U>
        requires std::is_convertible_v<U*, T*>
    Ref& operator=(Ref<U>&& o) noexcept {
        T* old = std::exchange(p_, o.detach());
        if (old) old->release();
        return *this;
    }
    Ref& operator=(T* p) {
        reset(p);
        return *this;
    }

    // Retains the new object before releasing the old one, so assigning an
    // object that only the old one kept alive is safe.
    void reset(T* p = nullptr) {
        if (p) p->retain();
        T* old = std::exchange(p_, p);
        if (old) old->release();
    }
    // Gives up ownership without releasing (for converting moves).
    T* detach() { return std::exchange(p_, nullptr); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    operator T*() const { return p_; }

private:
    T* p_ = nullptr;
};

// Ref<T> to a new T built from args.
template <class T, class... Args>
Ref<T> makeRef(Args&&... args) {
    return Ref<T>(new T(std::forward<Args>(args)...));
}

// Ref<T> of a downcast; empty when the object is not a T.
template <class T, class U>
Ref<T> refCast(U* p) {
    return Ref<T>(dynamic_cast<T*>(p));
}
